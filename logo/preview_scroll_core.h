// How the bitmap preview control lays a bitmap out and scrolls it: which
// scroll bars a bitmap needs, where each bar starts, and where each scroll
// code or navigation key leads. Codes and keys are numbered as the window
// system numbers them, so the Win32 layer passes its own values through.
#pragma once

#include <cstdint>
#include <optional>

namespace tq350::logo {

// One scroll bar for a bitmap `extent` pixels long in `visible` pixels: the
// range is 0 .. extent with a page of visible + 1, so the largest position,
// extent - visible, shows the bitmap's far edge at the control's far edge.
struct PreviewScrollBar {
    int extent = 0;
    unsigned page = 0;
    int position = 0;
    bool shown = false;
};

struct PreviewScrollBars {
    PreviewScrollBar horizontal;
    PreviewScrollBar vertical;
};

// The bars for a bitmap of width x height in a client of client_width x
// client_height, the vertical bar bar_width wide and the horizontal one
// bar_height high. Each bar starts at its current position, clamped to its
// new range, or in its middle when start_centred.
PreviewScrollBars preview_scroll_bars(int width, int height, int client_width, int client_height,
                                      int bar_width, int bar_height, int current_x, int current_y,
                                      bool start_centred);

enum ScrollCode : unsigned {
    scroll_line_back = 0, // SB_LINEUP, SB_LINELEFT
    scroll_line_on = 1,
    scroll_page_back = 2,
    scroll_page_on = 3,
    scroll_thumb_position = 4,
    scroll_thumb_track = 5,
    scroll_start = 6, // SB_TOP, SB_LEFT
    scroll_end = 7,
    scroll_end_of_scroll = 8, // SB_ENDSCROLL
};

// The position a bar of range min .. max with `page` moves to for `code`
// (thumb: the thumb's 16-bit position), clamped to the range; nothing when
// the bar has nowhere to move. A page is a tenth of the range, at least one.
std::optional<int> scrolled_position(int min, int max, unsigned page, int position, unsigned code,
                                     std::int16_t thumb);

enum NavigationKey : unsigned {
    key_page_up = 0x21, // VK_PRIOR
    key_page_down = 0x22,
    key_end = 0x23,
    key_home = 0x24,
    key_left = 0x25,
    key_up = 0x26,
    key_right = 0x27,
    key_down = 0x28,
};

struct KeyScroll {
    bool vertical = false;
    ScrollCode code = scroll_line_back;
};

// The scroll a navigation key asks for, Shift winning over Ctrl; nothing for
// any other key.
std::optional<KeyScroll> key_scroll(unsigned key, bool shift, bool ctrl);

} // namespace tq350::logo
