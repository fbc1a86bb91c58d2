#include "command_parser.h"
#include "printer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tq350::sim {
namespace {

using namespace test;

// Runs a stream through the parser into the printer; returns the replies in order.
Bytes run(Printer& printer, const Bytes& stream) {
    CommandParser parser;
    auto commands = parser.feed(stream);
    const auto rest = parser.finish();
    commands.insert(commands.end(), rest.begin(), rest.end());
    Bytes replies;
    for (const Command& c : commands)
        if (const Outcome o = printer.handle(c); o.reply)
            replies = replies + o.reply->bytes;
    return replies;
}

const Bytes info = hex("1B 40 1B 3D 01 1B 5A");

TEST(Printer, AnswersTheQueriesFromItsProfile) {
    Profile card = default_profile();
    card.tracks = {"ABC", "123", "XYZ"};
    Profile no_card = default_profile();
    no_card.card_swiped = false;
    Profile no_reader = default_profile();
    no_reader.features_27 &= ~0x02;
    struct Case {
        const char* name;
        const Profile& profile;
        Bytes stream;
        Bytes replies;
    };
    const Case cases[] = {
        // "TQ-350 Mobile Printer " and the name number 00210 at bytes 22-26; magstripe and
        // Bluetooth in byte 27, black marks in byte 28, no switch on; 7.4 V, 25 degrees.
        {"query connection", default_profile(), hex("1B 40 00") + info + hex("1B 60 1B 76"),
         hex("54 51 2D 33 35 30 20 4D 6F 62 69 6C 65 20 50 72 69 6E 74 65 72 20 30 30 32 31 30"
             "42 04 00 00 00 6A 39 00")},
        {"track 2", card, hex("1B 3F 0A 00"), hex("F2 31 32 33")},
        {"all tracks", card, hex("1B 3F 0F 00"), hex("F1 41 42 43 F2 31 32 33 F3 58 59 5A")},
        {"tracks 1 and 3", card, hex("1B 3F 0D 00"), hex("F1 41 42 43 F3 58 59 5A")},
        {"no card swiped", no_card, hex("1B 3F 0F 00"), {}},
        {"no magstripe reader", no_reader, hex("1B 3F 0F 00"), {}},
        {"off after ESC +", default_profile(), hex("1B 76 1B 2B 1B 76 1D 29 01 01") + info,
         hex("00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(c.profile);
        EXPECT_EQ(run(printer, c.stream), c.replies);
    }
    Profile slow_card = card;
    slow_card.card_delay_ms = 700;
    EXPECT_EQ(Printer(slow_card).handle({CommandKind::magstripe_request, hex("1B 3F 0F 00")})
                  .reply->delay,
              std::chrono::milliseconds(700));
}

TEST(Printer, ReportsSwitchesInTheNextInformationBlock) {
    struct Case {
        const char* commands;
        std::uint8_t byte_31;
    };
    const Case cases[] = {
        {"1D 29 01 01", 0x01},
        {"1D 29 07 01", 0x40},
        {"1D 29 01 01 1D 29 01 00", 0x00},
        {"1D 29 03 02", 0x04},                             // any value but 0 is on
        {"1D 29 08 01 1D 29 00 01 1D 29 09 01", 0x00},     // 8 is not reported; no 0 or 9
        {"1D 29 01 01 1D 29 05 01", 0x31},                 // XON: bit 5 set
        {"1D 29 01 01 1D 29 02 01 1D 29 05 01", 0x33},     // XOFF: bit 5 set
        {"1D 29 05 01 1D 29 07 01", 0x50},
        {"1D 29 01 01 1D 29 05 01 1D 29 02 01 1D 29 02 00", 0x31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands);
        Printer printer(default_profile());
        EXPECT_EQ(run(printer, hex(c.commands) + info).at(31), c.byte_31);
    }
}

TEST(Printer, ChangesSpeedAndWakesWhenTheConnectionEnds) {
    struct Case {
        int start_bps;
        const char* commands;
        int bps_after;
    };
    const Case cases[] = {
        {9600, "1B 53 34", 19200},         {9600, "1B 53 30", 1200},
        {9600, "1B 53 36 1B 53 34", 19200}, {9600, "1B 53 37", 9600},
        {57600, "1B 5F 1B 53 33 1B 3E 00 1B 2B", 9600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands);
        Profile profile = default_profile();
        profile.speed = c.start_bps;
        Printer printer(profile);
        run(printer, hex(c.commands));
        EXPECT_EQ(printer.speed(), c.start_bps) << "the program goes on sending after ESC S";
        printer.end_connection();
        EXPECT_EQ(printer.speed(), c.bps_after);
        EXPECT_EQ(run(printer, hex("1B 76")), hex("00"));
    }
}

TEST(Printer, ResetAndPowerCycleGoBackToTheProfileButKeepTheLogo) {
    Profile profile = default_profile();
    profile.switches = 0x04;
    Printer printer(profile);
    run(printer, hex("1D 2A 01 01 80 1D 29 01 01 1D 29 03 00 1D 29 08 01 1B 59 05 1B 53 34"));
    printer.end_connection();
    run(printer, hex("1B 5F 1B 53 33 1B 3E 01 1B 2B"));
    printer.end_connection();
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_FALSE(printer.switch_on(8));
    EXPECT_EQ(printer.settings().density, 3);
    EXPECT_EQ(printer.settings().irda_code, 1);
    run(printer, hex("1D 29 01 01 1B 53 34"));
    printer.end_connection();
    ASSERT_EQ(printer.speed(), 19200);
    printer.power_cycle();
    EXPECT_EQ(printer.speed(), 9600);
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_EQ(printer.logo().raster, hex("80"));
}

TEST(Printer, RefusesProfilesWhoseRepliesNeedXonOrXoff) {
    struct Case {
        void (*change)(Profile&);
        const char* refusal; // "": accepted
    };
    const Case cases[] = {
        {[](Profile&) {}, ""},
        {[](Profile& p) { p.switches = 0x11; }, "switches would put 0x11 (XON) into"},
        {[](Profile& p) { p.switches = 0x13; }, "switches would put 0x13 (XOFF) into"},
        {[](Profile& p) { p.features_27 = 0x11; }, "features would put 0x11"},
        {[](Profile& p) { p.voltage_tenths = 0xF1; }, "voltage_tenths would put 0x11"},
        {[](Profile& p) { p.temperature = 0xF3; }, "temperature would put 0x13"},
        {[](Profile& p) { p.status = 0x13; }, "status would put 0x13"},
        {[](Profile& p) { p.name = "TQ\x11"; }, "name would put 0x11"},
        {[](Profile& p) { p.tracks[1] = "12\x13"; }, "track2 would put 0x13"},
        {[](Profile& p) { p.tracks[0] = "A\xF2"; }, "track1 holds a zero byte or a track marker"},
        {[](Profile& p) { p.tracks = {std::string(120, 'A'), std::string(120, 'B'), "CCC"}; },
         ""},
        {[](Profile& p) {
             p.tracks = {std::string(120, 'A'), std::string(120, 'B'), std::string(14, 'C')};
         },
         "the three tracks and their markers take 257 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        Profile p = default_profile();
        c.change(p);
        const std::string refusal = check_profile_replies(p);
        EXPECT_EQ(refusal.substr(0, std::strlen(c.refusal)), c.refusal) << refusal;
        EXPECT_EQ(refusal.empty(), *c.refusal == '\0');
    }
}

} // namespace
} // namespace tq350::sim
