#include "link/parameter_write_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

namespace tq350::link {
namespace {

using tq350::test::hex;

ParameterSettings everything_on() {
    ParameterSettings s;
    for (SwitchItem& item : s.switches) {
        item.on = true;
    }
    s.density_index = 0;
    s.auto_off_minutes = 60;
    s.black_mark_mode = true;
    s.reliable_irda = false;
    s.max_115200 = false;
    return s;
}

ParameterSettings with_switch_6_text() {
    ParameterSettings s;
    s.switches[5] = {true, true};
    s.density_index = 5;
    s.auto_off_minutes = 1;
    return s;
}

ParameterSettings no_switch_texts() {
    ParameterSettings s;
    for (SwitchItem& item : s.switches) {
        item = {false, true};
    }
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
         everything_on(),
         "1D 29 01 01 1D 29 02 01 1D 29 03 01 1D 29 04 01 1D 29 05 01 1D 29 07 01 1D 29 08 01 "
         "1B 59 00 1B 78 3C 1B 6C 01 1D 29 07 01 1B 3E 01 1B 2B"},
        {"switch 6 with a text is sent, 150 %, 1 min", with_switch_6_text(),
         "1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 06 01 1D 29 07 00 "
         "1D 29 08 00 1B 59 05 1B 78 01 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"},
        {"no switch has a text", no_switch_texts(),
         "1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(build_parameter_sequence(c.settings)), c.expected);
    }
}

} // namespace
} // namespace tq350::link
