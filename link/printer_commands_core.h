// One-way printer commands of the "Advanced" menu, and the speed and density
// lists whose positions are what the printer is sent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tq350::link {

struct SpeedEntry {
    std::uint32_t bits_per_second;
    std::string_view text;
};

// Position i is the digit of the speed command, the index in the speed list
// and the position in the "Change Speed" menu. The printer has no 38400.
inline constexpr std::array<SpeedEntry, 7> speed_table{{
    {1200, "1200 bps"},
    {2400, "2400 bps"},
    {4800, "4800 bps"},
    {9600, "9600 bps"},
    {19200, "19200 bps"},
    {57600, "57600 bps"},
    {115200, "115200 bps"},
}};

// After a total reset the printer talks at this speed.
inline constexpr std::uint32_t speed_after_total_reset = 9600;

struct DensityEntry {
    int percent;
    std::string_view text;
};

// Position i is what the parameter sequence sends for the density.
inline constexpr std::array<DensityEntry, 6> density_table{{
    {70, "70 %"},
    {80, "80 %"},
    {90, "90 %"},
    {100, "100 %"},
    {120, "120 %"},
    {150, "150 %"},
}};

inline constexpr std::array<std::uint8_t, 2> short_test_command{0x1B, 0x54};
inline constexpr std::array<std::uint8_t, 2> long_test_command{0x1B, 0x2E};
// GS * with width 0 and height 0 defines an empty logo.
inline constexpr std::array<std::uint8_t, 5> delete_logo_command{0x1D, 0x2A, 0x00, 0x00, 0x00};
inline constexpr std::array<std::uint8_t, 1> beep_command{0x07};
// Form feed: the printer feeds paper up to the next black mark.
inline constexpr std::array<std::uint8_t, 1> find_black_mark_command{0x0C};
inline constexpr std::array<std::uint8_t, 2> turn_off_command{0x1B, 0x2B};

// ESC S and the ASCII digit of the speed's position (0x30..0x36, not 0..6).
// speed_index must be below speed_table.size().
std::array<std::uint8_t, 3> speed_change_command(std::size_t speed_index);

// ESC _ resets the printer, ESC S "3" puts it on 9600 bps, ESC > sets the IrDA
// speed from the "Max 115200" radio button as the parameter sequence does, and
// ESC + turns it off.
std::array<std::uint8_t, 10> total_reset_command(bool max_115200);

enum class LogoPrintMode : std::uint8_t {
    normal = 0,        // 203 x 203 DPI
    double_width = 1,  // 101 x 203 DPI
    double_height = 2, // 203 x 101 DPI
    doubled = 3,       // 101 x 101 DPI
};

// GS / m prints the downloaded logo; ESC J 80 then feeds the paper on.
std::array<std::uint8_t, 6> logo_print_command(LogoPrintMode mode);

// The address record is one flag character and 12 hexadecimal digits.
inline constexpr std::size_t address_record_length = 13;
inline constexpr std::string_view default_address_record = "X000000000000";

// ESC < and the 13 characters of the record, 15 bytes.
std::array<std::uint8_t, 2 + address_record_length>
bluetooth_address_command(std::span<const char, address_record_length> record);

} // namespace tq350::link
