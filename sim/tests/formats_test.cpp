// The text the printer reads (fault lines, profiles) and writes (journal lines).

#include "faults.h"
#include "journal.h"
#include "profile.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace tq350::sim {
namespace {

using namespace test;

TEST(Faults, ShapeTheReply) {
    Bytes every_byte;
    for (int b = 0; b < 256; ++b)
        every_byte.push_back(static_cast<std::uint8_t>(b));
    Faults f;
    std::mt19937 random(2);
    f.mute = true;
    EXPECT_EQ(shape_reply(every_byte, f, random), Bytes{});
    f = Faults{};
    f.short_reply = 3;
    EXPECT_EQ(shape_reply(every_byte, f, random), hex("00 01 02"));
    f.garbage = true;
    f.short_reply = 200;
    for (int round = 0; round < 100; ++round) {
        const Bytes sent = shape_reply(every_byte, f, random);
        ASSERT_EQ(sent.size(), 200u);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            ASSERT_NE(sent[i], every_byte[i]) << "byte " << i;
            ASSERT_TRUE(sent[i] != 0x11 && sent[i] != 0x13) << "byte " << i;
        }
    }
}

TEST(Profile, ReadsEveryKeyAndKeepsWhatTheFileDoesNotSay) {
    Profile p = default_profile();
    std::string error;
    ASSERT_TRUE(parse_profile("# no card reader\nname = \"TQ-350 Test   00199\"\n"
                              "features = irda, fahrenheit black_marks usb\nswitches = 0x45\n"
                              "voltage_tenths = 62\ntemperature = 77\nstatus = 0x40\n"
                              "track1 = %B1234^NAME?\ntrack3 =\ncard = none\ncard_delay_ms = 250",
                              p, error))
        << error;
    EXPECT_EQ(
        std::tie(p.name, p.features_27, p.features_28, p.switches, p.voltage_tenths, p.temperature,
                 p.status, p.card_swiped, p.card_delay_ms, p.speed),
        std::make_tuple("TQ-350 Test   00199", 0x21, 0x14, 0x45, 62, 77, 0x40, false, 250, 9600));
    EXPECT_EQ(p.tracks,
              (std::array<std::string, 3>{"%B1234^NAME?", default_profile().tracks[1], ""}));
    ASSERT_TRUE(parse_profile("speed = 57600", p, error)) << error;
    EXPECT_EQ(p.speed, 57600);
}

// A bad line changes nothing; nor may a profile whose replies would need the bytes that the
// program's XON/XOFF line never delivers.
TEST(Profile, RefusesBadLinesAndRepliesTheLineCannotCarry) {
    const std::string tracks =
        "track1 = " + std::string(120, 'A') + "\ntrack2 = " + std::string(120, 'B') + "\ntrack3 = ";
    struct Case {
        std::string text;
        const char* message; // "": accepted
    };
    const Case cases[] = {
        {"name = TQ-350 Mobile Printer 002100", "line 1: name: the name has room for 27 bytes"},
        {"switches = 0x13", "switches would put 0x13 (XOFF) into the information block"},
        {"features = irda kanji", "features would put 0x11 (XON)"},
        {"voltage_tenths = 241", "voltage_tenths would put 0x11 (XON) into the power reply"},
        {"track2 = 12\x13", "track2 would put 0x13 (XOFF) into the magstripe reply"},
        {"track1 = A\xF2", "track1 holds a zero byte or a track marker 0xF1-0xF3"},
        {tracks + "CCC", ""},
        {tracks + std::string(14, 'C'), "the three tracks and their markers take 257 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Profile p = default_profile();
        std::string error;
        const bool read = parse_profile(c.text, p, error);
        const std::string message = read ? check_profile_replies(p) : error;
        EXPECT_EQ(message.substr(0, std::strlen(c.message)), c.message) << message;
        EXPECT_EQ(message.empty(), *c.message == '\0') << message;
        EXPECT_TRUE(read || p.speed == 9600) << "a bad file changes nothing";
    }
}

TEST(Journal, FormatsALine) {
    const std::chrono::steady_clock::time_point start{std::chrono::seconds(100)};
    const std::chrono::system_clock::time_point wall{std::chrono::milliseconds(1700000000123)};
    JournalLine line("magstripe_request");
    line.add("conn", std::int64_t{3})
        .add_seconds("since_open", std::chrono::microseconds(2503900))
        .add_params({{"tracks", std::vector<int>{2}},
                     {"ok", true},
                     {"data", std::string("\"\\\x00\x1B\x7F\xB0 ok", 9)}})
        .add_hex("hex", hex("1B 3F 0A 00 FE"))
        .add_list("active", {"mute", "short=3"});
    EXPECT_EQ(
        Journal(nullptr, start).format(line, start + std::chrono::microseconds(2504999), wall),
        R"({"t":2.504,"wall":"2023-11-14T22:13:20.123Z","name":"magstripe_request",)"
        R"("conn":3,"since_open":2.503,"params":{"tracks":[2],"ok":true,)"
        R"("data":"\"\\\u0000\u001B\u007F\u00B0 ok"},"hex":"1B 3F 0A 00 FE",)"
        R"("active":["mute","short=3"]})");
}

} // namespace
} // namespace tq350::sim
