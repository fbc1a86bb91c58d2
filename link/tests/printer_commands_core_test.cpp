#include "link/parameter_write_core.h"
#include "link/printer_commands_core.h"
#include "link/send_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <string>
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

// The switches from two masks, bit k for switch k + 1: which have a text, which are checked.
ParameterSettings settings(unsigned texts, unsigned on, int density, int minutes, bool mark,
                           bool reliable, bool max_115200) {
    ParameterSettings s{.density_index = density,
                        .auto_off_minutes = minutes,
                        .black_mark_mode = mark,
                        .reliable_irda = reliable,
                        .max_115200 = max_115200};
    for (unsigned k = 0; k < s.switches.size(); ++k)
        s.switches[k] = {(texts >> k & 1) != 0, (on >> k & 1) != 0};
    return s;
}

TEST(ParameterSequence, Bytes) {
    struct Case {
        const char* label;
        ParameterSettings settings;
        const char* expected;
    };
    const Case cases[] = {
        {"start-up defaults, 46 bytes", ParameterSettings{},
         "1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 07 00 1D 29 08 00 "
         "1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"},
        {"all checked, 70 %, 60 min, black marks, raw IrDA, max 57600; switch 6 not sent",
         settings(0xDF, 0xFF, 0, 60, true, false, false),
         "1D 29 01 01 1D 29 02 01 1D 29 03 01 1D 29 04 01 1D 29 05 01 1D 29 07 01 1D 29 08 01 "
         "1B 59 00 1B 78 3C 1B 6C 01 1D 29 07 01 1B 3E 01 1B 2B"},
        {"switch 6 with a text is sent, 150 %, 1 min",
         settings(0xFF, 0x20, 5, 1, false, true, true),
         "1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 06 01 1D 29 07 00 "
         "1D 29 08 00 1B 59 05 1B 78 01 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"},
        {"no switch has a text", settings(0x00, 0xFF, 3, 10, false, true, true),
         "1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(build_parameter_sequence(c.settings)), c.expected);
    }
}

std::string describe(const std::vector<Chunk>& chunks) {
    std::string text;
    for (const Chunk& c : chunks) {
        text += std::to_string(c.offset) + "+" + std::to_string(c.size) + " wait " +
                std::to_string(c.pause_ms) + ";";
    }
    return text;
}

TEST(SendPlan, ChunksOfAtMost2048BytesPacedOneMsPerByte) {
    struct Case {
        std::size_t length;
        const char* expected;
    };
    const Case cases[] = {
        {0, ""},
        {2048, "0+2048 wait 2048;"},
        {2049, "0+2048 wait 2048;2048+1 wait 1;"},
        {12128, "0+2048 wait 2048;2048+2048 wait 2048;4096+2048 wait 2048;"
                "6144+2048 wait 2048;8192+2048 wait 2048;10240+1888 wait 1888;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(describe(plan_chunks(c.length)), c.expected);
    }
}

TEST(SendPlan, LengthZeroMeansNulTerminated) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        std::size_t length;
        std::size_t expected;
    };
    const Case cases[] = {
        {"speed command with its NUL", {0x1B, 0x53, 0x34, 0x00}, 0, 3},
        {"stops at the first NUL", {0x07, 0x00, 0x1B, 0x2B, 0x00}, 0, 1},
        {"explicit length keeps NUL bytes", {0x1D, 0x2A, 0x00, 0x00, 0x00}, 5, 5},
        {"no bytes at all", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(sequence_length(c.bytes.data(), c.length), c.expected);
    }
}

} // namespace
} // namespace tq350::link
