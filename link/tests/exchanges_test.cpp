#include "link/exchanges.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace tq350::link {
namespace {

// A scripted printer: one log of everything the exchange did, in order, and replies
// served from a queue.
class ScriptedLine final : public PrinterLine {
  public:
    std::deque<std::vector<std::uint8_t>> replies; // one per read, cut to the size asked
    std::size_t write_limit = SIZE_MAX;            // bytes accepted by one write
    std::vector<std::string> log;                  // "write 1B 40", "read 32", "pause 2500"...

    std::size_t write(std::span<const std::uint8_t> bytes) override {
        const std::size_t accepted = std::min(bytes.size(), write_limit);
        log.push_back("write " + tq350::test::hex(bytes.first(accepted)));
        return accepted;
    }
    bool flush() override {
        log.push_back("flush");
        return true;
    }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        log.push_back("read " + std::to_string(buffer.size()));
        if (replies.empty())
            return 0;
        const std::vector<std::uint8_t> reply = std::move(replies.front());
        replies.pop_front();
        const std::size_t n = std::min(buffer.size(), reply.size());
        std::copy_n(reply.begin(), n, buffer.begin());
        return n;
    }
    void purge() override { log.push_back("purge"); }
    void pause(std::uint32_t milliseconds) override {
        log.push_back("pause " + std::to_string(milliseconds));
    }
};

using Log = std::vector<std::string>;

TEST(Exchanges, GreetingWaitsForThePrinterAndDropsItsNoise) {
    ScriptedLine line;
    EXPECT_TRUE(wake_and_greet(line));
    EXPECT_EQ(line.log, (Log{"pause 2500", "purge", "write 1B 40 00", "flush", "pause 2"}));
}

TEST(Exchanges, QueryStopsAtTheFirstShortReply) {
    const std::vector<std::uint8_t> block(32, 0x41);
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> replies;
        bool ok;
        std::size_t log_size; // where the exchange stopped
    };
    const Case cases[] = {
        {"all three", {block, {0x6E, 0x3D}, {0x04}}, true, 9},
        {"block one byte short", {std::vector<std::uint8_t>(31, 0x41)}, false, 3},
        {"no power reply", {block}, false, 6},
        {"no status", {block, {0x6E, 0x3D}}, false, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedLine line;
        line.replies.assign(c.replies.begin(), c.replies.end());
        PrinterReadings readings;
        EXPECT_EQ(query_printer(line, readings), c.ok);
        ASSERT_EQ(line.log.size(), c.log_size);
        const Log expected{"write 1B 40 1B 3D 01 1B 5A",
                           "flush",
                           "read 32",
                           "write 1B 60",
                           "flush",
                           "read 2",
                           "write 1B 76",
                           "flush",
                           "read 1"};
        EXPECT_EQ(line.log, Log(expected.begin(), expected.begin() + c.log_size));
        if (c.ok) {
            EXPECT_EQ(readings.power.voltage_tenths, 0x4E);
            EXPECT_EQ(readings.power.temperature, 0x1D);
            EXPECT_EQ(readings.status, 0x04);
        }
    }
}

TEST(Exchanges, ALostChunkIsCountedAndTheRestStillGoesOut) {
    const std::vector<std::uint8_t> bytes(2049, 0x55);
    ScriptedLine line;
    line.write_limit = 2000; // the first chunk is cut short, the second fits
    int lost = 0;
    const SendTally tally = send_in_chunks(line, bytes, [&] { ++lost; });
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(tally.chunks_failed, 1u);
    EXPECT_EQ(tally.chunks_written, 1u);
    EXPECT_FALSE(send_succeeded(tally));
    // No pause after the lost chunk, one millisecond per byte after the good one.
    EXPECT_EQ(line.log.back(), "pause 1");
    EXPECT_EQ(line.log.size(), 4u);

    EXPECT_FALSE(send_succeeded(send_in_chunks(line, {}, [&] { ++lost; }))) << "nothing sent";
}

} // namespace
} // namespace tq350::link
