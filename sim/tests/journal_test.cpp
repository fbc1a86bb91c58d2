#include "journal.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using test::hex;

TEST(Journal, WritesBytesAsJsonStrings) {
    struct Case {
        std::string bytes;
        const char* json;
    };
    const Case cases[] = {
        {"Preview LOGO 'Normal':", R"("Preview LOGO 'Normal':")"},
        {"say \"hi\" \\ bye", R"("say \"hi\" \\ bye")"},
        {std::string("\x00\x1B\x0A\x7F", 4), R"("\u0000\u001B\u000A\u007F")"},
        {"\xB0\xF1\xFF", R"("\u00B0\u00F1\u00FF")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(json_string(c.bytes), c.json);
    }
}

TEST(Journal, FormatsALine) {
    const std::chrono::steady_clock::time_point start{std::chrono::seconds(100)};
    const std::chrono::system_clock::time_point wall{std::chrono::milliseconds(1700000000123)};
    const Journal journal(nullptr, start);
    JournalLine line("magstripe_request");
    line.add("conn", std::int64_t{3})
        .add_seconds("since_open", std::chrono::microseconds(2503900))
        .add_params({{"track_byte", std::int64_t{10}},
                     {"tracks", std::vector<int>{2}},
                     {"ok", true},
                     {"data", std::string("A\"B")}})
        .add_hex("hex", hex("1B 3F 0A 00"))
        .add_list("active", {"mute", "short=3"});
    EXPECT_EQ(journal.format(line, start + std::chrono::microseconds(2504999), wall),
              R"({"t":2.504,"wall":"2023-11-14T22:13:20.123Z","name":"magstripe_request",)"
              R"("conn":3,"since_open":2.503,)"
              R"("params":{"track_byte":10,"tracks":[2],"ok":true,"data":"A\"B"},)"
              R"("hex":"1B 3F 0A 00","active":["mute","short=3"]})");
}

TEST(Journal, WritesEmptyParamsAsAnEmptyObject) {
    const Journal journal(nullptr, {});
    JournalLine line("beep");
    line.add_params({});
    EXPECT_EQ(journal.format(line, {}, {}),
              R"({"t":0.000,"wall":"1970-01-01T00:00:00.000Z","name":"beep","params":{}})");
}

} // namespace
} // namespace tq350::sim
