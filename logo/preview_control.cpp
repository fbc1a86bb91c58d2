#include "logo/preview_control.h"

#include <algorithm>
#include <array>

#include "win32/handles.h"

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

// One scroll bar for a bitmap `extent` pixels long in `visible` pixels. The
// range is 0 .. extent with a page of visible + 1, so the largest position,
// extent - visible, shows the bitmap's far edge at the control's far edge.
void set_scroll_bar(HWND window, int bar, int extent, int visible, bool start_centred) {
    int position = GetScrollPos(window, bar);
    if (start_centred)
        position = (extent - visible) / 2;
    position = std::clamp(position, 0, std::max(0, extent - visible));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = extent;
    info.nPage = static_cast<UINT>(std::max(visible + 1, 0));
    info.nPos = position;
    SetScrollInfo(window, bar, &info, TRUE);
    if (extent >= visible + 1)
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
        int visible_width = client.right - client.left;
        int visible_height = client.bottom - client.top;
        // Each bar takes room from the other direction, which may then need
        // its own bar too.
        bool horizontal = size.cx > visible_width;
        bool vertical = size.cy > visible_height;
        if (horizontal && size.cy > visible_height - GetSystemMetrics(SM_CYHSCROLL))
            vertical = true;
        if (vertical) {
            if (size.cx > visible_width - GetSystemMetrics(SM_CXVSCROLL))
                horizontal = true;
            visible_width -= GetSystemMetrics(SM_CXVSCROLL);
        }
        if (horizontal)
            visible_height -= GetSystemMetrics(SM_CYHSCROLL);
        const bool start_centred =
            !previous && (GetWindowLongPtrA(window, GWL_STYLE) & SS_CENTERIMAGE);
        set_scroll_bar(window, SB_HORZ, size.cx, visible_width, start_centred);
        set_scroll_bar(window, SB_VERT, size.cy, visible_height, start_centred);
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
    const int largest = info.nMax - static_cast<int>(info.nPage) + 1;
    if (largest < 1)
        return 1;
    const int step = std::max((largest - info.nMin) / 10, 1);
    int position = info.nPos;
    switch (LOWORD(wparam)) {
    case SB_LINEUP:
        position -= 1;
        break;
    case SB_LINEDOWN:
        position += 1;
        break;
    case SB_PAGEUP:
        position -= step;
        break;
    case SB_PAGEDOWN:
        position += step;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = info.nMin + static_cast<short>(HIWORD(wparam));
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = largest;
        break;
    case SB_ENDSCROLL:
        return 0;
    default:
        break;
    }
    SetScrollPos(window, bar, std::clamp(position, info.nMin, largest), TRUE);
    // The whole client is painted again from the bitmap; no screen pixels are moved.
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

struct Scroll {
    UINT message;
    WORD code;
};

struct KeyScroll {
    UINT key;
    Scroll alone;
    Scroll with_shift; // Shift wins over Ctrl
    Scroll with_ctrl;
};

constexpr std::array<KeyScroll, 8> kKeyScrolls{{
    {VK_LEFT, {WM_HSCROLL, SB_LINELEFT}, {WM_HSCROLL, SB_PAGELEFT}, {WM_HSCROLL, SB_LEFT}},
    {VK_RIGHT, {WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_PAGERIGHT}, {WM_HSCROLL, SB_RIGHT}},
    {VK_UP, {WM_VSCROLL, SB_LINEUP}, {WM_VSCROLL, SB_PAGEUP}, {WM_VSCROLL, SB_TOP}},
    {VK_DOWN, {WM_VSCROLL, SB_LINEDOWN}, {WM_VSCROLL, SB_PAGEDOWN}, {WM_VSCROLL, SB_BOTTOM}},
    {VK_PRIOR, {WM_VSCROLL, SB_PAGEUP}, {WM_HSCROLL, SB_PAGELEFT}, {WM_HSCROLL, SB_PAGELEFT}},
    {VK_NEXT, {WM_VSCROLL, SB_PAGEDOWN}, {WM_HSCROLL, SB_PAGERIGHT}, {WM_HSCROLL, SB_PAGERIGHT}},
    {VK_HOME, {WM_VSCROLL, SB_TOP}, {WM_HSCROLL, SB_LEFT}, {WM_HSCROLL, SB_LEFT}},
    {VK_END, {WM_VSCROLL, SB_BOTTOM}, {WM_HSCROLL, SB_RIGHT}, {WM_HSCROLL, SB_RIGHT}},
}};

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
    for (const KeyScroll& k : kKeyScrolls) {
        if (k.key != key)
            continue;
        const Scroll scroll = shift ? k.with_shift : ctrl ? k.with_ctrl : k.alone;
        PostMessageA(window, scroll.message, scroll.code, 0);
        return true;
    }
    return false;
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
