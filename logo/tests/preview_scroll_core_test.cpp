#include "logo/preview_scroll_core.h"

#include <gtest/gtest.h>

#include <string>

namespace tq350::logo {
namespace {

// "+" shown or "-" not, the range's end, the page and the position.
std::string bar_text(const PreviewScrollBar& bar) {
    return (bar.shown ? "+" : "-") + std::to_string(bar.extent) + " p" + std::to_string(bar.page) +
           " @" + std::to_string(bar.position);
}

// Bars 17 pixels thick; the horizontal bar, then the vertical one.
TEST(PreviewScrollBars, WhereTheBitmapIsLargerAndWhereEachStarts) {
    struct Case {
        const char* label;
        int width, height, client_width, client_height, current_x;
        bool centred;
        const char* expected;
    } const cases[] = {
        {"the client's size", 300, 200, 300, 200, 0, false, "-300 p301 @0, -200 p201 @0"},
        // Each bar takes room from the other's side.
        {"wider, so taller", 384, 234, 380, 250, 0, false, "+384 p364 @0, +234 p234 @0"},
        {"taller, so wider", 291, 400, 300, 200, 0, false, "+291 p284 @0, +400 p184 @0"},
        {"narrower by a bar", 283, 400, 300, 200, 0, false, "-283 p284 @0, +400 p201 @0"},
        {"started centred", 1000, 100, 400, 300, 0, true, "+1000 p401 @300, -100 p284 @0"},
        {"kept but clamped", 500, 100, 400, 300, 300, false, "+500 p401 @100, -100 p284 @0"},
        {"smaller, at 0", 100, 100, 400, 300, 300, true, "-100 p401 @0, -100 p301 @0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const PreviewScrollBars bars = preview_scroll_bars(
            c.width, c.height, c.client_width, c.client_height, 17, 17, c.current_x, 0, c.centred);
        EXPECT_EQ(bar_text(bars.horizontal) + ", " + bar_text(bars.vertical), c.expected);
    }
}

TEST(ScrolledPosition, EachCodeWithinTheRange) {
    // 983 long in 283: positions 0 to 700, a page of 70; -1: nowhere to move.
    struct Case {
        const char* label;
        int from, max;
        unsigned page;
        unsigned code;
        std::int16_t thumb;
        int expected;
    } const cases[] = {
        {"line back", 10, 983, 284, scroll_line_back, 0, 9},
        {"page on", 10, 983, 284, scroll_page_on, 0, 80},
        {"page back past the start", 10, 983, 284, scroll_page_back, 0, 0},
        {"thumb position past the end", 10, 983, 284, scroll_thumb_position, 900, 700},
        {"thumb before the start", 10, 983, 284, scroll_thumb_track, -1, 0},
        {"start", 10, 983, 284, scroll_start, 0, 0},
        {"end", 10, 983, 284, scroll_end, 0, 700},
        {"end of scroll", 10, 983, 284, scroll_end_of_scroll, 0, 10},
        {"unknown code", 10, 983, 284, 9, 0, 10},
        // 9 positions: (9 - 0) / 10 is 0, but a page moves at least one.
        {"page of at least one", 4, 309, 301, scroll_page_on, 0, 5},
        {"a page longer than the range", 10, 300, 301, scroll_line_on, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(scrolled_position(0, c.max, c.page, c.from, c.code, c.thumb).value_or(-1),
                  c.expected);
    }
}

TEST(KeyScroll, ArrowsLinePagesAndEndsShiftWinningOverCtrl) {
    struct Case {
        const char* label;
        unsigned key;
        bool shift, ctrl;
        bool vertical;
        int code; // -1: not a navigation key
    } const cases[] = {
        {"Left", key_left, false, false, false, scroll_line_back},
        {"Shift+Right", key_right, true, false, false, scroll_page_on},
        {"Ctrl+Right", key_right, false, true, false, scroll_end},
        {"Shift+Ctrl+Left", key_left, true, true, false, scroll_page_back},
        {"Ctrl+Up", key_up, false, true, true, scroll_start},
        {"Shift+Down", key_down, true, false, true, scroll_page_on},
        {"Page Up", key_page_up, false, false, true, scroll_page_back},
        {"Shift+Page Down", key_page_down, true, false, false, scroll_page_on},
        {"Home", key_home, false, false, true, scroll_start},
        {"End", key_end, false, false, true, scroll_end},
        {"Tab", 0x09, false, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<KeyScroll> scroll = key_scroll(c.key, c.shift, c.ctrl);
        EXPECT_EQ(scroll ? static_cast<int>(scroll->code) : -1, c.code);
        if (scroll) {
            EXPECT_EQ(scroll->vertical, c.vertical);
        }
    }
}

} // namespace
} // namespace tq350::logo
