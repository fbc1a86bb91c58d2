// One-way printer commands of the "Advanced" menu.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tq350::link {

// After a total reset the printer talks at 9600 bps, the speed that ESC S "3" selects.
inline constexpr std::uint32_t speed_after_total_reset = 9600;


inline constexpr std::array<std::uint8_t, 2> short_test_command{0x1B, 0x54};
inline constexpr std::array<std::uint8_t, 2> long_test_command{0x1B, 0x2E};
// GS * with width 0 and height 0 defines an empty logo.
inline constexpr std::array<std::uint8_t, 5> delete_logo_command{0x1D, 0x2A, 0x00, 0x00, 0x00};
inline constexpr std::array<std::uint8_t, 1> beep_command{0x07};
// Form feed: the printer feeds paper up to the next black mark.
inline constexpr std::array<std::uint8_t, 1> find_black_mark_command{0x0C};
inline constexpr std::array<std::uint8_t, 2> turn_off_command{0x1B, 0x2B};

// ESC S and the ASCII digit of the speed's position (0x30..0x36, not 0..6).
// speed_index must be a position of the speed list (0..6).
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

} // namespace tq350::link
