#include "link/serial_line_core.h"

#include "app/tests/hex.h"

#include <gtest/gtest.h>

namespace tq350::link {
namespace {

using tq350::test::hex;

// The Win32 layer checks its DCB against dcb_flag_word, so each flag has to
// land on the bit the DCB bit-field puts it on.
TEST(LineSettings, FlagsPackIntoTheDcbBitFieldWord) {
    struct Case {
        const char* label;
        void (*change)(LineSettings&);
        std::uint32_t expected;
    };
    constexpr LineSettings none{};
    const Case cases[] = {
        {"printer line", [](LineSettings& s) { s = printer_line_settings(9600); }, 0x1183},
        {"fOutxCtsFlow", [](LineSettings& s) { s.out_cts_flow = true; }, 0x0004},
        {"fOutxDsrFlow", [](LineSettings& s) { s.out_dsr_flow = true; }, 0x0008},
        {"fDtrControl handshake", [](LineSettings& s) { s.dtr_control = 2; }, 0x0020},
        {"fDsrSensitivity", [](LineSettings& s) { s.dsr_sensitivity = true; }, 0x0040},
        {"fInX", [](LineSettings& s) { s.in_x = true; }, 0x0200},
        {"fErrorChar", [](LineSettings& s) { s.error_char_on_parity = true; }, 0x0400},
        {"fNull", [](LineSettings& s) { s.discard_null = true; }, 0x0800},
        {"fRtsControl toggle", [](LineSettings& s) { s.rts_control = 3; }, 0x3000},
        {"fAbortOnError", [](LineSettings& s) { s.abort_on_error = true; }, 0x4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LineSettings settings = none;
        c.change(settings);
        EXPECT_EQ(dcb_flag_word(settings), c.expected);
    }
}

TEST(LineSettings, GreetingIsEscAtAndNul) {
    EXPECT_EQ(hex(port_greeting), "1B 40 00");
}

} // namespace
} // namespace tq350::link
