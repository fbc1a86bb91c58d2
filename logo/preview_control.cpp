#include "logo/preview_control.h"

#include <cstdint>
#include <optional>

#include "win32/handles.h"
#include "logo/preview_scroll_core.h"

namespace tq350::logo {

namespace {

HBITMAP shown_bitmap(HWND window) {
    return reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// False for a handle that does not describe a bitmap: it is shown as none.
bool bitmap_size(HBITMAP bitmap, SIZE& size) {
    BITMAP object{};
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP ||
        GetObjectA(bitmap, sizeof object, &object) != sizeof object)
        return false;
    size = {object.bmWidth, object.bmHeight};
    return true;
}

void set_scroll_bar(HWND window, int bar, const PreviewScrollBar& setting) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = setting.extent;
    info.nPage = setting.page;
    info.nPos = setting.position;
    SetScrollInfo(window, bar, &info, TRUE);
    if (setting.shown)
        ShowScrollBar(window, bar, TRUE);
}

LRESULT on_set_image(HWND window, HBITMAP bitmap) {
    const HBITMAP previous = shown_bitmap(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
    ShowScrollBar(window, SB_BOTH, FALSE);
    SIZE size{};
    if (bitmap_size(bitmap, size)) {
        RECT client{};
        GetClientRect(window, &client);
        const bool start_centred =
            !previous && (GetWindowLongPtrA(window, GWL_STYLE) & SS_CENTERIMAGE);
        const PreviewScrollBars bars = preview_scroll_bars(
            size.cx, size.cy, client.right - client.left, client.bottom - client.top,
            GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL),
            GetScrollPos(window, SB_HORZ), GetScrollPos(window, SB_VERT), start_centred);
        set_scroll_bar(window, SB_HORZ, bars.horizontal);
        set_scroll_bar(window, SB_VERT, bars.vertical);
    }
    InvalidateRect(window, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(previous);
}

// Client x shows bitmap column scroll position + x where the bitmap is at
// least as wide as the control, and column x - (client width - bitmap
// width) / 2 where it is narrower; the same for rows. Returns false when
// there is no bitmap to paint.
bool paint_bitmap(HWND window, HDC dc, const RECT& area) {
    SIZE size{};
    if (IsRectEmpty(&area) || !bitmap_size(shown_bitmap(window), size))
        return false;
    MemoryDc memory(dc);
    if (!memory)
        return false;
    Selection selected(memory.get(), shown_bitmap(window));
    if (!selected)
        return false;
    int source_x = GetScrollPos(window, SB_HORZ);
    int source_y = GetScrollPos(window, SB_VERT);
    RECT shown{};
    GetClientRect(window, &shown);
    int width = shown.right - shown.left;
    int height = shown.bottom - shown.top;
    if (area.left != shown.left && width <= size.cx)
        source_x += area.left;
    if (area.top != shown.top && height <= size.cy)
        source_y += area.top;
    if (width > size.cx) {
        const int spare = width - size.cx;
        shown.left += spare / 2;
        shown.right -= spare - spare / 2;
        width = size.cx;
        if (area.left > shown.left)
            source_x += area.left - shown.left;
    }
    if (height > size.cy) {
        const int spare = height - size.cy;
        shown.top += spare / 2;
        shown.bottom -= spare - spare / 2;
        height = size.cy;
        if (area.top > shown.top)
            source_y += area.top - shown.top;
    }
    RECT target{};
    if (IntersectRect(&target, &shown, &area))
        BitBlt(dc, target.left, target.top, width, height, memory.get(), source_x, source_y,
               SRCCOPY);
    return true;
}

// Two diagonals that invert what is under them, readable on any background.
void draw_empty_cross(HWND window, HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    const HGDIOBJ previous_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    const int previous_mix = SetROP2(dc, R2_NOT);
    const POINT falling[2] = {{client.left, client.top}, {client.right, client.bottom}};
    const POINT rising[2] = {{client.right, client.top}, {client.left, client.bottom}};
    Polyline(dc, falling, 2);
    Polyline(dc, rising, 2);
    SetROP2(dc, previous_mix);
    SelectObject(dc, previous_pen);
}

LRESULT on_paint(HWND window, HDC given) {
    PAINTSTRUCT paint{};
    HDC dc = given ? given : BeginPaint(window, &paint);
    RECT area{};
    if (given)
        GetUpdateRect(window, &area, FALSE);
    else
        area = paint.rcPaint;
    if (IsRectEmpty(&area))
        GetClipBox(dc, &area);
    if (IsRectEmpty(&area))
        GetClientRect(window, &area);
    if (!paint_bitmap(window, dc, area))
        draw_empty_cross(window, dc);
    if (!given)
        EndPaint(window, &paint);
    return 0;
}

LRESULT on_scroll(HWND window, int bar, WPARAM wparam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, bar, &info))
        return 1;
    const std::optional<int> position =
        scrolled_position(info.nMin, info.nMax, info.nPage, info.nPos, LOWORD(wparam),
                          static_cast<std::int16_t>(HIWORD(wparam)));
    if (!position)
        return 1;
    if (LOWORD(wparam) == SB_ENDSCROLL)
        return 0;
    SetScrollPos(window, bar, *position, TRUE);
    // The whole client is painted again from the bitmap; no screen pixels are moved.
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

static_assert(SB_LINEUP == scroll_line_back && SB_PAGERIGHT == scroll_page_on &&
              SB_THUMBTRACK == scroll_thumb_track && SB_BOTTOM == scroll_end &&
              SB_ENDSCROLL == scroll_end_of_scroll);
static_assert(VK_PRIOR == key_page_up && VK_HOME == key_home && VK_DOWN == key_down);

bool key_is_down(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

// True when the key was handled here (a scroll message is on its way).
bool on_key_down(HWND window, WPARAM key) {
    const bool shift = key_is_down(VK_SHIFT);
    const bool ctrl = key_is_down(VK_CONTROL);
    if (key == VK_TAB) {
        if (HWND next = GetNextDlgTabItem(GetParent(window), window, shift))
            SetFocus(next);
        return false;
    }
    const std::optional<KeyScroll> scroll = key_scroll(static_cast<unsigned>(key), shift, ctrl);
    if (!scroll)
        return false;
    PostMessageA(window, scroll->vertical ? WM_VSCROLL : WM_HSCROLL, scroll->code, 0);
    return true;
}

// The control draws no focus rectangle; the parent's caption flashes instead.
void flash_parent(HWND window) {
    HWND parent = GetParent(window);
    FlashWindow(parent, TRUE);
    FlashWindow(parent, FALSE);
}

} // namespace

LRESULT CALLBACK PreviewControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        // The template's scroll-bar styles only reserve the bars; a bitmap
        // that needs them shows them.
        ShowScrollBar(window, SB_BOTH, FALSE);
        return 0;
    case STM_SETIMAGE:
        return on_set_image(window, reinterpret_cast<HBITMAP>(lparam));
    case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(shown_bitmap(window));
    case WM_PAINT:
        return on_paint(window, reinterpret_cast<HDC>(wparam));
    case WM_HSCROLL:
        return on_scroll(window, SB_HORZ, wparam);
    case WM_VSCROLL:
        return on_scroll(window, SB_VERT, wparam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_KEYDOWN:
        if (on_key_down(window, wparam))
            return 0;
        break;
    case WM_SETFOCUS:
        ::Beep(700, 1);
        flash_parent(window);
        break;
    case WM_KILLFOCUS:
        flash_parent(window);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace tq350::logo
