// The printer's answers and settings, and its sessions: connections, the speed check and the
// faults' timing, on a clock of the test's own.

#include "command_parser.h"
#include "printer.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

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
    EXPECT_EQ(Printer(slow_card)
                  .handle({CommandKind::magstripe_request, hex("1B 3F 0F 00")})
                  .reply->delay,
              std::chrono::milliseconds(700));
}

TEST(Printer, ReportsSwitchesInTheNextInformationBlock) {
    struct Case {
        const char* commands;
        std::uint8_t byte_31;
    };
    const Case cases[] = {
        {"1D 29 07 01 1D 29 01 01 1D 29 01 00", 0x40},
        {"1D 29 03 02", 0x04},                         // any value but 0 is on
        {"1D 29 08 01 1D 29 00 01 1D 29 09 01", 0x00}, // 8 is not reported; no 0 or 9
        {"1D 29 01 01 1D 29 05 01", 0x31},             // XON: bit 5 set
        {"1D 29 01 01 1D 29 02 01 1D 29 05 01", 0x33}, // XOFF: bit 5 set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands);
        Printer printer(default_profile());
        EXPECT_EQ(run(printer, hex(c.commands) + info).at(31), c.byte_31);
    }
}

TEST(Printer, ChangesSpeedAtTheConnectionsEndAndGoesBackToItsProfile) {
    Profile profile = default_profile();
    profile.switches = 0x04;
    Printer printer(profile);
    run(printer,
        hex("1D 2A 01 01 80 1D 29 01 01 1D 29 03 00 1D 29 08 01 1B 59 05 1B 53 36 1B 53 34"));
    EXPECT_EQ(printer.speed(), 9600) << "the program goes on sending after ESC S";
    printer.end_connection();
    EXPECT_EQ(printer.speed(), 19200) << "the last ESC S counts";
    run(printer, hex("1B 53 37 1B 5F 1B 53 33 1B 3E 01 1B 2B"));
    printer.end_connection();
    EXPECT_EQ(printer.speed(), 9600);
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_FALSE(printer.switch_on(8));
    EXPECT_EQ(printer.settings().density, 3);
    EXPECT_EQ(printer.settings().irda_code, 1);
    run(printer, hex("1D 29 01 01 1B 53 34"));
    printer.end_connection();
    printer.power_cycle();
    EXPECT_EQ(printer.speed(), 9600);
    EXPECT_EQ(printer.information_block()[31], 0x04);
    EXPECT_EQ(printer.logo().raster, hex("80")) << "the logo stays";
}

const Bytes greeting = hex("1B 40 00");
const Bytes status = hex("1B 76");
const Clock::time_point t0{std::chrono::hours(1)};

class SessionTest : public testing::Test {
  protected:
    void set(std::initializer_list<const char*> active) {
        Faults faults;
        std::string error;
        for (const char* fault : active)
            ASSERT_TRUE(add_fault(fault, faults, error)) << error;
        session.set_faults(faults, "test", t0);
    }

    SessionRun run;
    Session& session = run.session;
};

TEST_F(SessionTest, CountsOpensIntoConnectionsAndNoiseSpoilsACommand) {
    session.port_closed(t0); // opened before the watch: not ours to count
    session.port_opened(t0);
    session.port_opened(t0);
    session.received(hex("1B 40 1B"), 9600, t0);
    session.received(hex("3D 01 1B 5A"), 4800, t0);
    session.received(status, 9600, t0);
    EXPECT_EQ(session.take_due(t0), hex("00"));
    session.port_closed(t0);
    EXPECT_TRUE(session.connected());
    session.port_closed(t0 + 300ms);
    session.port_opened(t0 + 600ms);
    EXPECT_EQ(journal_names(run.journal()),
              "open open truncated noise status_request close close open");
    EXPECT_NE(run.journal().find(R"("name":"open","conn":2,"since_open":0.000,"bps":9600,)"
                                 R"("open_fds":1,"since_close":0.300})"),
              std::string::npos);
}

TEST_F(SessionTest, SlowRepliesPauseBetweenBytes) {
    set({"slow"});
    session.port_opened(t0);
    session.received(hex("1B 60 1B 76"), 9600, t0);
    EXPECT_EQ(session.take_due(t0), hex("6A"));
    EXPECT_EQ(session.take_due(t0 + 199ms), Bytes{});
    EXPECT_EQ(session.take_due(t0 + 200ms), hex("39"));
    EXPECT_EQ(session.next_due(), t0 + 400ms) << "the next reply keeps the gap";
}

TEST_F(SessionTest, HoldsTheLineOncePerConnectionAndOwesNoXonAfterIt) {
    set({"xoff=300"});
    session.port_opened(t0);
    session.received(greeting + status, 9600, t0);
    EXPECT_EQ(session.take_due(t0), hex("13"));
    EXPECT_EQ(session.take_due(t0 + 299ms), Bytes{});
    EXPECT_EQ(session.take_due(t0 + 300ms), hex("11 00"));
    session.received(status, 9600, t0 + 400ms);
    EXPECT_EQ(session.take_due(t0 + 400ms), hex("00"));
    session.port_closed(t0 + 500ms);
    session.port_opened(t0 + 1s);
    session.received(status, 9600, t0 + 1s);
    EXPECT_EQ(session.take_due(t0 + 1s), hex("13"));
    session.port_closed(t0 + 1100ms);
    EXPECT_EQ(session.take_due(t0 + 1100ms), hex("11")) << "the XON owed goes at the close";
    EXPECT_EQ(session.next_due(), std::nullopt);
}

TEST_F(SessionTest, HoldsTheLineOnlyOnceNBytesHaveArrived) {
    set({"xoff=300", "xoff_after=10"});
    session.port_opened(t0);
    session.received(greeting + status, 9600, t0);
    EXPECT_EQ(session.take_due(t0), hex("00")) << "5 bytes: the line is still free";
    session.received(greeting, 9600, t0 + 10ms);
    session.received(status, 9600, t0 + 20ms);
    EXPECT_EQ(session.take_due(t0 + 20ms), hex("13")) << "the 10th byte brings the XOFF";
    EXPECT_EQ(session.take_due(t0 + 320ms), hex("11 00"));
    session.port_closed(t0 + 400ms);
    session.port_opened(t0 + 1s);
    session.received(greeting + status, 9600, t0 + 1s);
    EXPECT_EQ(session.take_due(t0 + 1s), hex("00")) << "each connection counts from its start";
}

} // namespace
} // namespace tq350::sim
