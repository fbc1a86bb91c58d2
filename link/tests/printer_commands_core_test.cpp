#include "link/printer_commands_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tq350::link {
namespace {

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
        {"9600 bps", bytes_of(speed_change_command(3)), "1B 53 33"},
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

} // namespace
} // namespace tq350::link
