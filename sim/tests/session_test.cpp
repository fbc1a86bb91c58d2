// Connections, the speed check and the faults' timing, on a clock of the test's own.

#include "session.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tq350::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

const Bytes greeting = hex("1B 40 00");
const Bytes status = hex("1B 76");

class SessionTest : public testing::Test {
  protected:
    SessionTest() : memory_(open_memstream(&text_, &size_)), journal_(memory_, t0) {}
    ~SessionTest() override {
        std::fclose(memory_);
        std::free(text_);
    }

    void set(std::initializer_list<const char*> active) {
        Faults faults;
        std::string error;
        for (const char* fault : active)
            ASSERT_TRUE(add_fault(fault, faults, error)) << error;
        session_.set_faults(faults, "test", t0);
    }

    std::string journal() {
        std::fflush(memory_);
        return std::string(text_, size_);
    }

    // The journal's line names in order, e.g. "open close speed_changed".
    std::string names() {
        std::istringstream lines(journal());
        std::string line, out;
        while (std::getline(lines, line)) {
            const auto at = line.find("\"name\":\"") + 8;
            out += (out.empty() ? "" : " ") + line.substr(at, line.find('"', at) - at);
        }
        return out;
    }

    const Clock::time_point t0{std::chrono::hours(1)};
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* memory_;
    Journal journal_;
    Printer printer_{default_profile()};
    Session session_{printer_, journal_, 42};
};

TEST_F(SessionTest, CountsOpensIntoConnectionsAndNoiseSpoilsACommand) {
    session_.port_closed(t0); // opened before the watch: not ours to count
    session_.port_opened(t0);
    session_.port_opened(t0);
    session_.received(hex("1B 40 1B"), 9600, t0);
    session_.received(hex("3D 01 1B 5A"), 4800, t0);
    session_.received(status, 9600, t0);
    EXPECT_EQ(session_.take_due(t0), hex("00"));
    session_.port_closed(t0);
    EXPECT_TRUE(session_.connected());
    session_.port_closed(t0 + 300ms);
    session_.port_opened(t0 + 600ms);
    EXPECT_EQ(names(), "open open truncated noise status_request close close open");
    EXPECT_NE(journal().find(R"("name":"open","conn":2,"since_open":0.000,"bps":9600,)"
                             R"("open_fds":1,"since_close":0.300})"),
              std::string::npos);
}

TEST_F(SessionTest, SlowRepliesPauseBetweenBytes) {
    set({"slow"});
    session_.port_opened(t0);
    session_.received(hex("1B 60 1B 76"), 9600, t0);
    EXPECT_EQ(session_.take_due(t0), hex("6A"));
    EXPECT_EQ(session_.take_due(t0 + 199ms), Bytes{});
    EXPECT_EQ(session_.take_due(t0 + 200ms), hex("39"));
    EXPECT_EQ(session_.next_due(), t0 + 400ms) << "the next reply keeps the gap";
    EXPECT_EQ(session_.take_due(t0 + 400ms), hex("00"));
}

TEST_F(SessionTest, HoldsTheLineOncePerConnection) {
    set({"xoff=300"});
    session_.port_opened(t0);
    session_.received(greeting + status, 9600, t0);
    EXPECT_EQ(session_.take_due(t0), hex("13"));
    EXPECT_EQ(session_.take_due(t0 + 299ms), Bytes{});
    EXPECT_EQ(session_.take_due(t0 + 300ms), hex("11 00"));
    session_.received(status, 9600, t0 + 400ms);
    EXPECT_EQ(session_.take_due(t0 + 400ms), hex("00"));
    session_.port_closed(t0 + 500ms);

    session_.port_opened(t0 + 1s);
    session_.received(status, 9600, t0 + 1s);
    EXPECT_EQ(session_.take_due(t0 + 1s), hex("13"));
    session_.port_closed(t0 + 1100ms);
    EXPECT_EQ(session_.take_due(t0 + 1100ms), hex("11"))
        << "the XON still owed goes out at the close; the status reply does not";
    EXPECT_EQ(session_.next_due(), std::nullopt);
}

TEST_F(SessionTest, HoldsTheLineOnlyOnceNBytesHaveArrived) {
    set({"xoff=300", "xoff_after=10"});
    session_.port_opened(t0);
    session_.received(greeting + status, 9600, t0);
    EXPECT_EQ(session_.take_due(t0), hex("00")) << "5 bytes: the line is still free";
    session_.received(greeting, 9600, t0 + 10ms);
    session_.received(status, 9600, t0 + 20ms);
    EXPECT_EQ(session_.take_due(t0 + 20ms), hex("13"))
        << "the 10th byte brings the XOFF, and the reply waits behind it";
    EXPECT_EQ(session_.take_due(t0 + 319ms), Bytes{});
    EXPECT_EQ(session_.take_due(t0 + 320ms), hex("11 00"));
    session_.port_closed(t0 + 400ms);

    session_.port_opened(t0 + 1s);
    session_.received(greeting + status, 9600, t0 + 1s);
    EXPECT_EQ(session_.take_due(t0 + 1s), hex("00")) << "each connection counts from its start";
}

TEST_F(SessionTest, WantsThePortLockedWhileSomeoneHasItOpen) {
    session_.port_opened(t0);
    EXPECT_FALSE(session_.port_lock_wanted()) << "without the fault two programs may share it";
    session_.port_closed(t0);
    set({"exclusive"});
    EXPECT_FALSE(session_.port_lock_wanted());
    session_.port_opened(t0 + 1s);
    EXPECT_TRUE(session_.port_lock_wanted());
    session_.port_closed(t0 + 2s);
    EXPECT_FALSE(session_.port_lock_wanted());
    session_.port_opened(t0 + 3s);
    set({});
    EXPECT_FALSE(session_.port_lock_wanted()) << "clearing the fault frees the port at once";
}

TEST_F(SessionTest, VanishesAfterNBytesUntilTheFaultIsCleared) {
    set({"vanish=5"});
    session_.port_opened(t0);
    session_.received(greeting + hex("1B 40 1B 3D 01 1B 5A"), 9600, t0);
    EXPECT_FALSE(session_.port_wanted());
    session_.port_lost(t0);
    EXPECT_EQ(session_.take_due(t0), Bytes{});
    EXPECT_EQ(names(), "faults open greeting fault_action truncated close")
        << "two bytes of the information request came before the printer went";
    set({"mute"});
    EXPECT_TRUE(session_.port_wanted());
}

} // namespace
} // namespace tq350::sim
