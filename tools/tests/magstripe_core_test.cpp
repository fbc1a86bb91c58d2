#include "tools/magstripe_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::tools {
namespace {

TEST(TrackReply, Parsing) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> reply;
        TrackTexts expected;
    };
    const Case cases[] = {
        {"out of order", {0xF2, '1', '2', 0xF1, 'A', 'B'}, {"AB", "12", ""}},
        {"noise before the first marker", {'%', '?', 0xF3, 'X'}, {"", "", "X"}},
        {"repeated marker is text", {0xF1, 'A', 0xF1, 0xF0, 0xF2, 'C'}, {"A\xF1\xF0", "C", ""}},
        {"0x00 ends the text", {0xF1, 'A', 0x00, 'B', 0xF2, 'C'}, {"A", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(parse_track_reply(c.reply), c.expected);
    }
}

TEST(TrackRead, MessageAfterRead) {
    const std::vector<std::uint8_t> track_2{0xF2, '4', '2'};
    struct Case {
        const char* label;
        TrackExchange exchange;
        std::string_view message;
        TrackTexts tracks;
    };
    const Case cases[] = {
        {"port not opened", {false, false, false, {}}, "Can NOT communicate with printer!", {}},
        {"request not sent", {true, false, false, {}}, "Problem with magstripe reader!", {}},
        {"read failed", {true, true, false, track_2}, "Problem with magstripe reader!", {}},
        {"no card swiped", {true, true, true, {}}, "Problem with magstripe reader!", {}},
        {"track 2 read", {true, true, true, track_2}, "", {"", "42", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const TrackReadResult result = finish_track_read(c.exchange);
        EXPECT_EQ(message_text(result.message), c.message);
        EXPECT_EQ(result.tracks, c.tracks);
    }
}

} // namespace
} // namespace tq350::tools
