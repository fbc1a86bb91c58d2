// Connections, the speed check and the faults' timing, on a clock of the test's own.

#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

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
