#include "link/send_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::link {
namespace {

std::string describe(const std::vector<Chunk>& chunks) {
    std::string text;
    for (const Chunk& c : chunks) {
        text += std::to_string(c.offset) + "+" + std::to_string(c.size) + " wait " +
                std::to_string(c.pause_ms) + ";";
    }
    return text;
}

TEST(SendPlan, ChunksOfAtMost2048BytesPacedOneMsPerByte) {
    struct Case {
        std::size_t length;
        const char* expected;
    };
    const Case cases[] = {
        {0, ""},
        {1, "0+1 wait 1;"},
        {2048, "0+2048 wait 2048;"},
        {2049, "0+2048 wait 2048;2048+1 wait 1;"},
        {12128, "0+2048 wait 2048;2048+2048 wait 2048;4096+2048 wait 2048;"
                "6144+2048 wait 2048;8192+2048 wait 2048;10240+1888 wait 1888;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(describe(plan_chunks(c.length)), c.expected);
    }
}

TEST(SendPlan, LengthZeroMeansNulTerminated) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        std::size_t length;
        std::size_t expected;
    };
    const Case cases[] = {
        {"speed command with its NUL", {0x1B, 0x53, 0x34, 0x00}, 0, 3},
        {"stops at the first NUL", {0x07, 0x00, 0x1B, 0x2B, 0x00}, 0, 1},
        {"explicit length keeps NUL bytes", {0x1D, 0x2A, 0x00, 0x00, 0x00}, 5, 5},
        {"no bytes at all", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(sequence_length(c.bytes.data(), c.length), c.expected);
    }
}

} // namespace
} // namespace tq350::link
