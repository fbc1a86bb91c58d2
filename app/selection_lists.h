// Items of the port, speed and density drop-down lists. The position of a speed
// is also the printer's speed code and the "Change Speed" menu position; the
// position of a density is what the printer is sent.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tq350 {

struct ListItem {
    const char* text;
    int32_t data;
};

inline constexpr std::array<ListItem, 7> kSpeedItems{{
    {"1200 bps", 1200},
    {"2400 bps", 2400},
    {"4800 bps", 4800},
    {"9600 bps", 9600},
    {"19200 bps", 19200},
    {"57600 bps", 57600},
    {"115200 bps", 115200},
}};
inline constexpr int32_t kDefaultSpeed = 9600;

inline constexpr std::array<ListItem, 6> kDensityItems{{
    {"70 %", 70},
    {"80 %", 80},
    {"90 %", 90},
    {"100 %", 100},
    {"120 %", 120},
    {"150 %", 150},
}};
inline constexpr int32_t kDefaultDensity = 100;

inline constexpr int kAutoOffMinMinutes = 1;
inline constexpr int kAutoOffMaxMinutes = 60;
inline constexpr int kAutoOffDefaultMinutes = 10;

// Decimal conversion as the C library's strtol does it with a 32-bit long:
// leading white space, an optional sign, digits up to the first non-digit,
// 0 when there are none, clamped on overflow.
int32_t strtol32(std::string_view text);

struct PortEntry {
    std::string name; // as listed, e.g. "COM3"
    int32_t number;   // item data, e.g. 3
};

// Size of the name and data buffers used to enumerate the serial-port key.
inline constexpr size_t kPortEnumBufferSize = 512;

// A serial-port registry entry as enumerated: its type and the bytes received.
// Only REG_SZ data that starts with "COM" followed by a nonzero number is a port.
// The text ends at the first NUL within the bytes received, or with them when
// a driver stored it without its terminator.
std::optional<PortEntry> accept_port_entry(uint32_t type, std::span<const char> received);

} // namespace tq350
