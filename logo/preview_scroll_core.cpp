#include "logo/preview_scroll_core.h"

#include <algorithm>
#include <array>

namespace tq350::logo {

namespace {

PreviewScrollBar scroll_bar(int extent, int visible, int current, bool start_centred) {
    int position = start_centred ? (extent - visible) / 2 : current;
    position = std::clamp(position, 0, std::max(0, extent - visible));
    return {extent, static_cast<unsigned>(std::max(visible + 1, 0)), position,
            extent >= visible + 1};
}

struct KeyScrolls {
    NavigationKey key;
    KeyScroll alone;
    KeyScroll with_shift;
    KeyScroll with_ctrl;
};

constexpr std::array<KeyScrolls, 8> kKeyScrolls{{
    {key_left, {false, scroll_line_back}, {false, scroll_page_back}, {false, scroll_start}},
    {key_right, {false, scroll_line_on}, {false, scroll_page_on}, {false, scroll_end}},
    {key_up, {true, scroll_line_back}, {true, scroll_page_back}, {true, scroll_start}},
    {key_down, {true, scroll_line_on}, {true, scroll_page_on}, {true, scroll_end}},
    {key_page_up, {true, scroll_page_back}, {false, scroll_page_back}, {false, scroll_page_back}},
    {key_page_down, {true, scroll_page_on}, {false, scroll_page_on}, {false, scroll_page_on}},
    {key_home, {true, scroll_start}, {false, scroll_start}, {false, scroll_start}},
    {key_end, {true, scroll_end}, {false, scroll_end}, {false, scroll_end}},
}};

} // namespace

PreviewScrollBars preview_scroll_bars(int width, int height, int client_width, int client_height,
                                      int bar_width, int bar_height, int current_x, int current_y,
                                      bool start_centred) {
    // Each bar takes room from the other direction, which may then need its
    // own bar too.
    bool horizontal = width > client_width;
    bool vertical = height > client_height;
    if (horizontal && height > client_height - bar_height)
        vertical = true;
    if (vertical) {
        if (width > client_width - bar_width)
            horizontal = true;
        client_width -= bar_width;
    }
    if (horizontal)
        client_height -= bar_height;
    return {scroll_bar(width, client_width, current_x, start_centred),
            scroll_bar(height, client_height, current_y, start_centred)};
}

std::optional<int> scrolled_position(int min, int max, unsigned page, int position, unsigned code,
                                     std::int16_t thumb) {
    const int largest = max - static_cast<int>(page) + 1;
    if (largest < 1)
        return std::nullopt;
    const int step = std::max((largest - min) / 10, 1);
    switch (code) {
    case scroll_line_back:
        position -= 1;
        break;
    case scroll_line_on:
        position += 1;
        break;
    case scroll_page_back:
        position -= step;
        break;
    case scroll_page_on:
        position += step;
        break;
    case scroll_thumb_position:
    case scroll_thumb_track:
        position = min + thumb;
        break;
    case scroll_start:
        position = min;
        break;
    case scroll_end:
        position = largest;
        break;
    default:
        break;
    }
    return std::clamp(position, min, largest);
}

std::optional<KeyScroll> key_scroll(unsigned key, bool shift, bool ctrl) {
    for (const KeyScrolls& k : kKeyScrolls) {
        if (k.key == key)
            return shift ? k.with_shift : ctrl ? k.with_ctrl : k.alone;
    }
    return std::nullopt;
}

} // namespace tq350::logo
