#include "link/parameter_write_core.h"
#include "link/printer_commands_core.h"

#include "app/selection_lists.h"
#include "app/tests/hex.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

namespace tq350::link {
namespace {

using tq350::kDensityItems;
using tq350::kSpeedItems;
using tq350::test::hex;

std::vector<std::uint8_t> bytes_of(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(PrinterCommands, Bytes) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"1200 bps", bytes_of(speed_change_command(0)), "1B 53 30"},
        {"2400 bps", bytes_of(speed_change_command(1)), "1B 53 31"},
        {"4800 bps", bytes_of(speed_change_command(2)), "1B 53 32"},
        {"9600 bps", bytes_of(speed_change_command(3)), "1B 53 33"},
        {"19200 bps", bytes_of(speed_change_command(4)), "1B 53 34"},
        {"57600 bps", bytes_of(speed_change_command(5)), "1B 53 35"},
        {"115200 bps", bytes_of(speed_change_command(6)), "1B 53 36"},
        {"short test", bytes_of(short_test_command), "1B 54"},
        {"long test", bytes_of(long_test_command), "1B 2E"},
        {"total reset, max 115200", bytes_of(total_reset_command(true)),
         "1B 5F 1B 53 33 1B 3E 00 1B 2B"},
        {"total reset, max 57600", bytes_of(total_reset_command(false)),
         "1B 5F 1B 53 33 1B 3E 01 1B 2B"},
        {"delete logo", bytes_of(delete_logo_command), "1D 2A 00 00 00"},
        {"beep", bytes_of(beep_command), "07"},
        {"find black mark", bytes_of(find_black_mark_command), "0C"},
        {"turn off", bytes_of(turn_off_command), "1B 2B"},
        {"logo normal", bytes_of(logo_print_command(LogoPrintMode::normal)), "1D 2F 00 1B 4A 50"},
        {"logo double width", bytes_of(logo_print_command(LogoPrintMode::double_width)),
         "1D 2F 01 1B 4A 50"},
        {"logo double height", bytes_of(logo_print_command(LogoPrintMode::double_height)),
         "1D 2F 02 1B 4A 50"},
        {"logo doubled", bytes_of(logo_print_command(LogoPrintMode::doubled)), "1D 2F 03 1B 4A 50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(c.bytes), c.expected);
    }
}

// A list position is what the printer is sent, so each position has to hold
// the speed or density that the commands using it mean.
TEST(SelectionLists, PositionsMatchTheCommandsThatUseThem) {
    struct Case {
        const char* label;
        std::size_t position;
        std::string_view expected_text;
        std::string_view actual_text;
    };
    const std::size_t reset_speed = total_reset_command(true)[4] - 0x30u;
    const std::size_t default_density = static_cast<std::size_t>(ParameterSettings{}.density_index);
    ASSERT_LT(reset_speed, kSpeedItems.size());
    ASSERT_LT(default_density, kDensityItems.size());
    const Case cases[] = {
        {"ESC S 30", 0, "1200 bps", kSpeedItems[0].text},
        {"ESC S 35: no 38400 before it", 5, "57600 bps", kSpeedItems[5].text},
        {"ESC S 36", 6, "115200 bps", kSpeedItems[6].text},
        {"total reset", reset_speed, "9600 bps", kSpeedItems[reset_speed].text},
        {"ESC Y 00", 0, "70 %", kDensityItems[0].text},
        {"ESC Y 05", 5, "150 %", kDensityItems[5].text},
        {"start-up density", default_density, "100 %", kDensityItems[default_density].text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.actual_text, c.expected_text);
    }
    EXPECT_EQ(kSpeedItems.size(), 7u);
    EXPECT_EQ(static_cast<std::uint32_t>(kSpeedItems[reset_speed].data), speed_after_total_reset);
}

} // namespace
} // namespace tq350::link
