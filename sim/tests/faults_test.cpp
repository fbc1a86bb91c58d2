#include "faults.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using test::Bytes;
using test::hex;

TEST(Faults, ReadsEachSpec) {
    struct Case {
        const char* fault;
        std::vector<std::string> active;
    };
    const Case cases[] = {
        {"mute", {"mute"}},
        {"short=3", {"short=3"}},
        {" short = 0 ", {"short=0"}},
        {"garbage", {"garbage"}},
        {"slow", {"slow=200"}},
        {"slow=250", {"slow=250"}},
        {"xoff=500", {"xoff=500"}},
        {"vanish=10", {"vanish=10"}},
        {"xoff_after=2051", {"xoff_after=2051"}},
        {"exclusive", {"exclusive"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Faults f;
        std::string error;
        ASSERT_TRUE(add_fault(c.fault, f, error)) << error;
        EXPECT_EQ(fault_names(f), c.active);
    }
}

TEST(Faults, RejectsBadSpecs) {
    for (const char* fault : {"short", "short=x", "short=-1", "xoff", "xoff_after", "vanish=",
                              "mute=1", "exclusive=1", "garbage=2", "slow=fast", "deaf", ""}) {
        SCOPED_TRACE(fault);
        Faults f;
        std::string error;
        EXPECT_FALSE(add_fault(fault, f, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(f, Faults{});
    }
}

TEST(Faults, ReadsAControlFileAsAWhole) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<std::string> active;
    };
    const Case cases[] = {
        {"", true, {}},
        {"\n\n", true, {}},
        {"# healthy\n", true, {}},
        {"slow\nshort=5\n", true, {"short=5", "slow=200"}},
        {"mute\r\nvanish=4\r\n", true, {"mute", "vanish=4"}},
        {"mute\nlouder\n", false, {"xoff=9"}},
        {"xoff=4000\nxoff_after=2051\n", true, {"xoff=4000", "xoff_after=2051"}},
        {"xoff_after=2051\n", false, {"xoff=9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Faults f;
        f.xoff_hold_ms = 9;
        std::string error;
        EXPECT_EQ(parse_faults(c.text, f, error), c.ok) << error;
        EXPECT_EQ(fault_names(f), c.active);
    }
}

TEST(Faults, GarbageIsAlwaysWrongAndNeverFlowControl) {
    Bytes every_byte;
    for (int b = 0; b < 256; ++b)
        every_byte.push_back(static_cast<std::uint8_t>(b));
    Faults f;
    f.garbage = true;
    f.short_reply = 200;
    std::mt19937 random(2);
    for (int round = 0; round < 100; ++round) {
        const Bytes sent = shape_reply(every_byte, f, random);
        ASSERT_EQ(sent.size(), 200u);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            ASSERT_NE(sent[i], every_byte[i]) << "byte " << i;
            ASSERT_NE(sent[i], 0x11);
            ASSERT_NE(sent[i], 0x13);
        }
    }
}

} // namespace
} // namespace tq350::sim
