#include "command_parser.h"
#include "printer.h"
#include "test_support.h"

#include <gtest/gtest.h>


namespace tq350::sim {
namespace {

using test::ascii;
using test::Bytes;
using test::hex;
using test::operator+;
using test::repeat;

// Runs a stream through the parser into the printer; returns the replies in order.
Bytes run(Printer& printer, const Bytes& stream) {
    CommandParser parser;
    Bytes replies;
    auto commands = parser.feed(stream);
    auto rest = parser.finish();
    commands.insert(commands.end(), rest.begin(), rest.end());
    for (const Command& c : commands)
        if (const Outcome o = printer.handle(c); o.reply)
            replies.insert(replies.end(), o.reply->bytes.begin(), o.reply->bytes.end());
    return replies;
}

const Bytes info = hex("1B 40 1B 3D 01 1B 5A");

TEST(Printer, AnswersTheQueryConnectionWithTheDefaultProfile) {
    Printer printer(default_profile());
    // "TQ-350 Mobile Printer " then the name number 00210 at bytes 22-26; magstripe and
    // Bluetooth in byte 27, black marks in byte 28, no switch on.
    EXPECT_EQ(run(printer, hex("1B 40 00") + info + hex("1B 60 1B 76")),
              hex("54 51 2D 33 35 30 20 4D 6F 62 69 6C 65 20 50 72 69 6E 74 65 72 20"
                  "30 30 32 31 30 42 04 00 00 00"
                  "6A 39"
                  "00"));
}

TEST(Printer, ReportsSwitchChangesInTheNextInformationBlock) {
    struct Case {
        const char* name;
        const char* commands;
        std::uint8_t byte_31;
    };
    const Case cases[] = {
        {"switch 1", "1D 29 01 01", 0x01},
        {"switch 7", "1D 29 07 01", 0x40},
        {"switch 1 on then off", "1D 29 01 01 1D 29 01 00", 0x00},
        {"any non-zero value turns it on", "1D 29 03 02", 0x04},
        {"switch 8 is not reported", "1D 29 08 01", 0x00},
        {"no switch 0 or 9", "1D 29 00 01 1D 29 09 01", 0x00},
        {"1 and 5 would be XON: bit 5 set", "1D 29 01 01 1D 29 05 01", 0x31},
        {"1, 2 and 5 would be XOFF: bit 5 set", "1D 29 01 01 1D 29 02 01 1D 29 05 01", 0x33},
        {"5 and 7 are fine as they are", "1D 29 05 01 1D 29 07 01", 0x50},
        {"XON again after bit 5 went away", "1D 29 01 01 1D 29 05 01 1D 29 02 01 1D 29 02 00",
         0x31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        run(printer, hex(c.commands));
        EXPECT_EQ(printer.information_block()[31], c.byte_31);
        EXPECT_EQ(run(printer, info).at(31), c.byte_31);
    }
}

TEST(Printer, ChangesSpeedOnlyWhenTheConnectionEnds) {
    struct Case {
        const char* name;
        int start_bps;
        const char* commands;
        int bps_after;
    };
    const Case cases[] = {
        {"19200", 9600, "1B 53 34", 19200},
        {"1200", 9600, "1B 53 30", 1200},
        {"115200", 9600, "1B 53 36", 115200},
        {"the last one counts", 9600, "1B 53 36 1B 53 34", 19200},
        {"no such speed", 9600, "1B 53 37", 9600},
        {"total reset from 57600", 57600, "1B 5F 1B 53 33 1B 3E 00 1B 2B", 9600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile profile = default_profile();
        profile.speed = c.start_bps;
        Printer printer(profile);
        run(printer, hex(c.commands));
        EXPECT_EQ(printer.speed(), c.start_bps) << "the program goes on sending after ESC S";
        printer.end_connection();
        EXPECT_EQ(printer.speed(), c.bps_after);
        printer.end_connection();
        EXPECT_EQ(printer.speed(), c.bps_after) << "a second connection changes nothing";
    }
}

TEST(Printer, SleepsAfterTurningOffUntilTheNextConnection) {
    Printer printer(default_profile());
    EXPECT_EQ(run(printer, hex("1B 76 1B 2B 1B 76 1D 29 01 01")), hex("00"));
    printer.end_connection();
    EXPECT_EQ(run(printer, hex("1B 76")), hex("00"));
    EXPECT_EQ(printer.information_block()[31], 0x00) << "the switch sent while off is lost";
}

TEST(Printer, TotalResetRestoresTheProfileSwitches) {
    Profile profile = default_profile();
    profile.switches = 0x04;
    Printer printer(profile);
    run(printer, hex("1D 29 01 01 1D 29 03 00 1D 29 08 01 1B 59 05"));
    run(printer, hex("1B 5F 1B 53 33 1B 3E 01 1B 2B"));
    printer.end_connection();
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_FALSE(printer.switch_on(8));
    EXPECT_EQ(printer.settings().density, 3);
    EXPECT_EQ(printer.settings().irda_code, 1);
}

TEST(Printer, PowerCycleReturnsToTheProfileButKeepsTheLogo) {
    Profile profile = default_profile();
    profile.switches = 0x04;
    Printer printer(profile);
    // A pending speed change, a switch, and a printer turned off; a 1 x 1 logo.
    run(printer, hex("1D 2A 01 01 80 1D 29 01 01 1B 53 34 1B 2B"));
    printer.end_connection();
    ASSERT_EQ(printer.speed(), 19200);
    printer.power_cycle();
    EXPECT_EQ(printer.speed(), 9600);
    EXPECT_FALSE(printer.is_off());
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_EQ(printer.logo().raster, hex("80"));
}

TEST(Printer, AnswersTheMagstripeRequestWithTheTracksAskedFor) {
    Profile profile = default_profile();
    profile.tracks = {"ABC", "123", "XYZ"};
    profile.card_delay_ms = 700;
    struct Case {
        const char* name;
        const char* request;
        const char* reply;
    };
    const Case cases[] = {
        {"track 2", "1B 3F 0A 00", "F2 31 32 33"},
        {"all three", "1B 3F 0F 00", "F1 41 42 43 F2 31 32 33 F3 58 59 5A"},
        {"1 and 3", "1B 3F 0D 00", "F1 41 42 43 F3 58 59 5A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(profile);
        const Outcome o = printer.handle({CommandKind::magstripe_request, hex(c.request)});
        ASSERT_TRUE(o.reply);
        EXPECT_EQ(o.reply->bytes, hex(c.reply));
        EXPECT_EQ(o.reply->delay, std::chrono::milliseconds(700));
    }
}

TEST(Printer, LeavesTheMagstripeRequestUnansweredWithoutCardOrReader) {
    Profile no_card = default_profile();
    no_card.card_swiped = false;
    Profile no_reader = default_profile();
    no_reader.features_27 &= ~0x02;
    for (const Profile& profile : {no_card, no_reader}) {
        Printer printer(profile);
        const Outcome o = printer.handle({CommandKind::magstripe_request, hex("1B 3F 0F 00")});
        EXPECT_FALSE(o.reply);
        EXPECT_FALSE(o.note.empty());
    }
}

TEST(Printer, KeepsTheDownloadedLogo) {
    Printer printer(default_profile());
    run(printer, hex("1D 2A 02 03 01 02 03 04 05 06"));
    EXPECT_EQ(printer.logo().row_bytes, 2);
    EXPECT_EQ(printer.logo().rows, 3);
    EXPECT_EQ(printer.logo().raster, hex("01 02 03 04 05 06"));

    run(printer, hex("1D 2A 31 01") + repeat(0xAA, 49));
    EXPECT_EQ(printer.logo().raster, hex("01 02 03 04 05 06")) << "49 bytes wide does not fit";

    run(printer, hex("1D 2A 00 00 00"));
    EXPECT_EQ(printer.logo().rows, 0);
    EXPECT_TRUE(printer.logo().raster.empty());
}

TEST(Printer, KeepsDownloadedGlyphsPerFont) {
    Printer printer(default_profile());
    const Bytes rows_a = repeat(0xF0, 48);
    const Bytes rows_b = hex("00 00 18 24 42 42 42 7E 42 42 42 42 00 00 00 00");
    const Bytes rows_b2 = repeat(0x81, 16);
    run(printer, hex("1B 26 32 20 20") + rows_a + hex("1B 26 33 41 42") + rows_b + rows_b2);
    EXPECT_EQ(printer.font(false).glyphs[0x20], rows_a);
    EXPECT_EQ(printer.font(true).glyphs[0x41], rows_b);
    EXPECT_EQ(printer.font(true).glyphs[0x42], rows_b2);
    EXPECT_TRUE(printer.font(true).glyphs[0x20].empty());

    run(printer, hex("1B 26 31"));
    EXPECT_TRUE(printer.font(true).glyphs[0x41].empty()) << "font B reset";
    EXPECT_EQ(printer.font(false).glyphs[0x20], rows_a) << "font A untouched";
}

TEST(Printer, RefusesProfilesWhoseRepliesNeedXonOrXoff) {
    struct Case {
        const char* name;
        void (*change)(Profile&);
        const char* key; // empty: accepted
    };
    const Case cases[] = {
        {"default", [](Profile&) {}, ""},
        {"switches 0x11", [](Profile& p) { p.switches = 0x11; }, "switches would put 0x11"},
        {"switches 0x13", [](Profile& p) { p.switches = 0x13; }, "switches would put 0x13"},
        {"irda and kanji make 0x11", [](Profile& p) { p.features_27 = 0x11; }, "features"},
        {"voltage 0xF1 + 0x20 wraps to 0x11", [](Profile& p) { p.voltage_tenths = 0xF1; },
         "voltage_tenths"},
        {"temperature 0xF3 + 0x20 wraps to 0x13", [](Profile& p) { p.temperature = 0xF3; },
         "temperature"},
        {"status 0x13", [](Profile& p) { p.status = 0x13; }, "status"},
        {"name with DC1", [](Profile& p) { p.name = "TQ\x11"; }, "name"},
        {"track with DC3", [](Profile& p) { p.tracks[1] = "12\x13"; }, "track2"},
        {"track with a marker", [](Profile& p) { p.tracks[0] = "A\xF2"; }, "track1"},
        {"tracks too long",
         [](Profile& p) {
             p.tracks = {std::string(120, 'A'), std::string(120, 'B'), std::string(14, 'C')};
         },
         "257 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile p = default_profile();
        c.change(p);
        const std::string refusal = check_profile_replies(p);
        if (*c.key == '\0')
            EXPECT_EQ(refusal, "");
        else
            EXPECT_NE(refusal.find(c.key), std::string::npos) << refusal;
    }
}

} // namespace
} // namespace tq350::sim
