#include "profile.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

TEST(Profile, ReadsEveryKey) {
    Profile p = default_profile();
    std::string error;
    ASSERT_TRUE(parse_profile(R"(# a printer without a card reader
name = "TQ-350 Test   00199"
features = irda, fahrenheit black_marks usb
switches = 0x45
voltage_tenths = 62
temperature = 77
status = 0x40
speed = 57600
track1 = %B1234^NAME?
track2 = ;1234=5678?
track3 =
card = none
card_delay_ms = 250
)",
                              p, error))
        << error;
    EXPECT_EQ(p.name, "TQ-350 Test   00199");
    EXPECT_EQ(p.features_27, 0x21);
    EXPECT_EQ(p.features_28, 0x14);
    EXPECT_EQ(p.switches, 0x45);
    EXPECT_EQ(p.voltage_tenths, 62);
    EXPECT_EQ(p.temperature, 77);
    EXPECT_EQ(p.status, 0x40);
    EXPECT_EQ(p.speed, 57600);
    EXPECT_EQ(p.tracks[0], "%B1234^NAME?");
    EXPECT_EQ(p.tracks[1], ";1234=5678?");
    EXPECT_EQ(p.tracks[2], "");
    EXPECT_FALSE(p.card_swiped);
    EXPECT_EQ(p.card_delay_ms, 250);
}

TEST(Profile, KeepsWhatTheFileDoesNotSay) {
    Profile p = default_profile();
    std::string error;
    ASSERT_TRUE(parse_profile("status = 4\n", p, error)) << error;
    EXPECT_EQ(p.status, 0x04);
    EXPECT_EQ(p.name, default_profile().name);
    EXPECT_EQ(p.speed, 9600);
}

TEST(Profile, RejectsBadLinesNamingThem) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"speed = 9600\nbaud = 9600", "line 2: baud: unknown key \"baud\""},
        {"speed 9600", "line 1: expected key = value"},
        {"speed = 14400", "line 1: speed: speed must be one of"},
        {"switches = 256", "line 1: switches: expected a number from 0 to 255"},
        {"status = 0x1G", "line 1: status: expected a number"},
        {"voltage_tenths = -1", "line 1: voltage_tenths: expected a number"},
        {"features = magstripe laser", "line 1: features: unknown feature \"laser\""},
        {"name = TQ-350 Mobile Printer 002100", "line 1: name: the name has room for 27 bytes"},
        {"card = maybe", "line 1: card: card is \"swipe\" or \"none\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Profile p = default_profile();
        std::string error;
        EXPECT_FALSE(parse_profile(c.text, p, error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_EQ(p.speed, 9600) << "a bad file changes nothing";
    }
}

} // namespace
} // namespace tq350::sim
