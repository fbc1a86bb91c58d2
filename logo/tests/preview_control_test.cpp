// The bitmap preview control (STATICBITMAP) as the program registers it:
// scroll bars, centring, scrolling by message and key, painting, ownership.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/control_classes.h"
#include "app/tests/win_test_support.h"

namespace tq350::logo::test {
namespace {

using ::tq350::test::pump_messages;

constexpr std::uint32_t kSentinel = 0x123456;

// Bitmap pixel (x, y) has red x % 256, green y % 256 and blue the two high
// nibbles, so a painted pixel tells which bitmap pixel it came from.
std::uint32_t pattern(int x, int y) {
    return static_cast<std::uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | (x >> 8) << 4 | y >> 8);
}

// A 32-bit DIB section, rows top first, and its pixels.
struct Canvas {
    HBITMAP bitmap = nullptr;
    std::uint32_t* pixels = nullptr;
    int width = 0;

    Canvas(int w, int h) : width(w) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
    }
    ~Canvas() { DeleteObject(bitmap); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    std::uint32_t at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
};

HBITMAP pattern_bitmap(int width, int height) {
    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            canvas.pixels[y * width + x] = pattern(x, y);
    return std::exchange(canvas.bitmap, nullptr);
}

class PreviewControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_ = CreateWindowA("STATIC", "parent", WS_POPUP, 0, 0, 1200, 1200, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent_);
        for (HBITMAP bitmap : bitmaps_)
            DeleteObject(bitmap);
        pump_messages();
        gui_objects_.expect_none_left("after the test");
    }
    // A control whose client area, scroll bars hidden, is width x height.
    HWND create(int width, int height, DWORD style = WS_HSCROLL | WS_VSCROLL | SS_CENTERIMAGE) {
        control_ = CreateWindowA(kPreviewControlClass, "Preview", WS_CHILD | WS_VISIBLE | style, 0,
                                 0, width, height, parent_, nullptr, nullptr, nullptr);
        EXPECT_NE(control_, nullptr);
        return control_;
    }
    HBITMAP bitmap(int width, int height) {
        bitmaps_.push_back(pattern_bitmap(width, height));
        return bitmaps_.back();
    }
    HBITMAP set_image(HBITMAP image) {
        return reinterpret_cast<HBITMAP>(
            SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
    }
    bool shows(int bar) const {
        return GetWindowLongA(control_, GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL);
    }
    SCROLLINFO scroll_info(int bar) const {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(control_, bar, &info);
        return info;
    }
    int position(int bar) const { return GetScrollPos(control_, bar); }
    LRESULT scroll(int bar, int code, int thumb = 0) {
        return SendMessageA(control_, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL,
                            MAKEWPARAM(code, thumb), 0);
    }
    SIZE client() const {
        RECT r{};
        GetClientRect(control_, &r);
        return {r.right, r.bottom};
    }
    // Paints into a canvas of the client's size filled with kSentinel,
    // through the control's WM_PAINT with a given DC, optionally clipped.
    void paint(Canvas& canvas, const RECT* clip = nullptr) {
        const SIZE size = client();
        for (int i = 0; i < size.cx * size.cy; ++i)
            canvas.pixels[i] = kSentinel;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, canvas.bitmap);
        if (clip) {
            HRGN region = CreateRectRgnIndirect(clip);
            SelectClipRgn(dc, region);
            DeleteObject(region);
        }
        ValidateRect(control_, nullptr);
        SendMessageA(control_, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        SelectObject(dc, previous);
        DeleteDC(dc);
    }

    ::tq350::test::GuiObjectWatch gui_objects_;
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
    std::vector<HBITMAP> bitmaps_;
};

TEST_F(PreviewControlTest, ScrollBarsAppearWhereTheBitmapIsLarger) {
    const int bar_width = GetSystemMetrics(SM_CXVSCROLL);
    const int bar_height = GetSystemMetrics(SM_CYHSCROLL);
    struct Case {
        const char* label;
        SIZE client, bitmap;
        bool horizontal, vertical;
    };
    const Case cases[] = {
        {"smaller both ways", {300, 200}, {100, 50}, false, false},
        {"exactly the client", {300, 200}, {300, 200}, false, false},
        {"384 wide in 390", {390, 250}, {384, 100}, false, false},
        {"384 wide in 380", {380, 250}, {384, 100}, true, false},
        {"wider, and taller than what the bar leaves",
         {380, 250},
         {384, 250 - bar_height + 1},
         true,
         true},
        {"taller only", {300, 200}, {100, 400}, false, true},
        // The vertical bar takes more width than the bitmap leaves spare.
        {"a little narrower and taller", {300, 200}, {300 - bar_width / 2, 400}, true, true},
        {"narrower by the bar and taller", {300, 200}, {300 - bar_width, 400}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(c.client.cx, c.client.cy);
        set_image(bitmap(c.bitmap.cx, c.bitmap.cy));
        EXPECT_EQ(shows(SB_HORZ), c.horizontal);
        EXPECT_EQ(shows(SB_VERT), c.vertical);
        const int visible_width = c.client.cx - (c.vertical ? bar_width : 0);
        const SCROLLINFO h = scroll_info(SB_HORZ);
        EXPECT_EQ(h.nMin, 0);
        EXPECT_EQ(h.nMax, c.bitmap.cx);
        // The page is visible + 1, which the system cuts to the range's length.
        EXPECT_EQ(h.nPage, static_cast<UINT>(std::min<int>(visible_width + 1, c.bitmap.cx + 1)));
        DestroyWindow(control_);
    }
}

TEST_F(PreviewControlTest, FirstBitmapStartsCentredLaterOnesKeepThePosition) {
    create(400, 300);
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 300);
    set_image(bitmap(500, 100));
    EXPECT_EQ(position(SB_HORZ), 100) << "300 clamped to 500 - 400";
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 100) << "replacing a bitmap does not centre again";
    set_image(nullptr);
    EXPECT_FALSE(shows(SB_HORZ));
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 300) << "the first after none starts centred again";

    DestroyWindow(control_);
    create(400, 300, WS_HSCROLL | WS_VSCROLL);
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 0) << "without SS_CENTERIMAGE";
}

TEST_F(PreviewControlTest, ScrollCodesMoveWithinTheRange) {
    struct Case {
        const char* label;
        int bitmap_width; // in a 300-wide client: largest position bitmap_width - 300
        int start;
        int code, thumb;
        int expected;
    };
    const Case cases[] = {
        {"line left", 325, 10, SB_LINELEFT, 0, 9},
        {"line right", 325, 10, SB_LINERIGHT, 0, 11},
        {"page left, step (25 - 0) / 10", 325, 10, SB_PAGELEFT, 0, 8},
        {"page right, step 2", 325, 10, SB_PAGERIGHT, 0, 12},
        {"page right, step 0 moves 1", 309, 4, SB_PAGERIGHT, 0, 5},
        {"page left, step 0 moves 1", 309, 4, SB_PAGELEFT, 0, 3},
        {"thumb track", 325, 10, SB_THUMBTRACK, 20, 20},
        {"thumb position past the end", 325, 10, SB_THUMBPOSITION, 30, 25},
        {"thumb before the start", 325, 10, SB_THUMBTRACK, 0xFFFF, 0},
        {"left end", 325, 10, SB_LEFT, 0, 0},
        {"right end", 325, 10, SB_RIGHT, 0, 25},
        {"line left at the start", 325, 0, SB_LINELEFT, 0, 0},
        {"line right at the end", 325, 25, SB_LINERIGHT, 0, 25},
        {"unknown code", 325, 10, 9, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 300, WS_HSCROLL | WS_VSCROLL);
        set_image(bitmap(c.bitmap_width, 100));
        SetScrollPos(control_, SB_HORZ, c.start, FALSE);
        EXPECT_EQ(scroll(SB_HORZ, c.code, c.thumb), 0);
        EXPECT_EQ(position(SB_HORZ), c.expected);
        DestroyWindow(control_);
    }
}

TEST_F(PreviewControlTest, ScrollingRepaintsWithoutEraseAndEndScrollNot) {
    ShowWindow(parent_, SW_SHOWNA); // a hidden window keeps no update region
    create(300, 200);
    set_image(bitmap(1000, 1000));
    RECT update{};
    pump_messages(); // the window system's own first paint
    ValidateRect(control_, nullptr);
    ASSERT_FALSE(GetUpdateRect(control_, &update, FALSE));
    EXPECT_EQ(scroll(SB_VERT, SB_ENDSCROLL), 0);
    EXPECT_FALSE(GetUpdateRect(control_, &update, FALSE)) << "SB_ENDSCROLL repaints nothing";
    EXPECT_EQ(scroll(SB_VERT, SB_LINEDOWN), 0);
    EXPECT_TRUE(GetUpdateRect(control_, &update, FALSE));
    EXPECT_EQ(update.right, client().cx);
    EXPECT_EQ(update.bottom, client().cy);
}

TEST_F(PreviewControlTest, NothingToScrollReturnsOne) {
    create(300, 200);
    set_image(bitmap(100, 50));
    EXPECT_EQ(scroll(SB_HORZ, SB_LINERIGHT), 1);
    EXPECT_EQ(scroll(SB_VERT, SB_BOTTOM), 1);
    EXPECT_EQ(position(SB_HORZ), 0);
    set_image(nullptr);
    EXPECT_EQ(scroll(SB_HORZ, SB_LINERIGHT), 1);
}

TEST_F(PreviewControlTest, NavigationKeysScroll) {
    struct Case {
        const char* label;
        WPARAM key;
        int bar;
        // From position 10; both bars shown, so the largest position is
        // 1000 - bar - (300 - bar) = 700 and a page is 70.
        int expected;
    };
    const Case cases[] = {
        {"Left", VK_LEFT, SB_HORZ, 9},     {"Right", VK_RIGHT, SB_HORZ, 11},
        {"Up", VK_UP, SB_VERT, 9},         {"Down", VK_DOWN, SB_VERT, 11},
        {"Page Up", VK_PRIOR, SB_VERT, 0}, {"Page Down", VK_NEXT, SB_VERT, 80},
        {"Home", VK_HOME, SB_VERT, 0},     {"End", VK_END, SB_VERT, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 300, WS_HSCROLL | WS_VSCROLL);
        set_image(
            bitmap(1000 - GetSystemMetrics(SM_CXVSCROLL), 1000 - GetSystemMetrics(SM_CYHSCROLL)));
        SetScrollPos(control_, SB_HORZ, 10, FALSE);
        SetScrollPos(control_, SB_VERT, 10, FALSE);
        EXPECT_EQ(SendMessageA(control_, WM_KEYDOWN, c.key, 0), 0);
        EXPECT_EQ(position(c.bar), 10) << "the scroll is posted, not sent";
        pump_messages();
        EXPECT_EQ(position(c.bar), c.expected);
        EXPECT_EQ(position(c.bar == SB_HORZ ? SB_VERT : SB_HORZ), 10);
        DestroyWindow(control_);
    }
    create(300, 300);
    EXPECT_EQ(SendMessageA(control_, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
}

// Key presses with Shift and Ctrl held, through the system's input queue so
// that the control reads them as the user's.
TEST_F(PreviewControlTest, ShiftAndCtrlChooseTheScroll) {
    struct Case {
        const char* label;
        std::vector<WORD> held;
        WPARAM key;
        int bar;
        int expected; // from 10, largest 700, step 70
    };
    const Case cases[] = {
        {"Ctrl+Right", {VK_CONTROL}, VK_RIGHT, SB_HORZ, 700},
        {"Shift+Right", {VK_SHIFT}, VK_RIGHT, SB_HORZ, 80},
        {"Shift+Ctrl+Right", {VK_SHIFT, VK_CONTROL}, VK_RIGHT, SB_HORZ, 80},
        {"Ctrl+Up", {VK_CONTROL}, VK_UP, SB_VERT, 0},
        {"Shift+Page Down", {VK_SHIFT}, VK_NEXT, SB_HORZ, 80},
        {"Ctrl+End", {VK_CONTROL}, VK_END, SB_HORZ, 700},
    };
    auto press = [](WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 300, WS_HSCROLL | WS_VSCROLL);
        set_image(
            bitmap(1000 - GetSystemMetrics(SM_CXVSCROLL), 1000 - GetSystemMetrics(SM_CYHSCROLL)));
        SetScrollPos(control_, SB_HORZ, 10, FALSE);
        SetScrollPos(control_, SB_VERT, 10, FALSE);
        for (WORD key : c.held)
            press(key, false);
        pump_messages();
        SendMessageA(control_, WM_KEYDOWN, c.key, 0);
        for (WORD key : c.held)
            press(key, true);
        pump_messages();
        EXPECT_EQ(position(c.bar), c.expected);
        DestroyWindow(control_);
    }
}

TEST_F(PreviewControlTest, SmallerBitmapIsPaintedInTheMiddle) {
    create(300, 200);
    set_image(bitmap(100, 50));
    Canvas canvas(300, 200);
    paint(canvas);
    EXPECT_EQ(canvas.at(100, 75), pattern(0, 0));
    EXPECT_EQ(canvas.at(199, 124), pattern(99, 49));
    EXPECT_EQ(canvas.at(99, 75), kSentinel);
    EXPECT_EQ(canvas.at(200, 124), kSentinel);
    EXPECT_EQ(canvas.at(150, 74), kSentinel);
}

TEST_F(PreviewControlTest, ScrolledBitmapIsPaintedFromItsPosition) {
    struct Case {
        const char* label;
        SIZE bitmap;
        POINT scroll;
        RECT clip; // empty: the whole client
        POINT probe;
    };
    const Case cases[] = {
        {"whole client", {1000, 1000}, {50, 30}, {}, {120, 90}},
        {"part of the client", {1000, 1000}, {50, 30}, {100, 80, 150, 120}, {120, 90}},
        {"part, from the left edge", {1000, 1000}, {50, 30}, {0, 80, 150, 120}, {5, 90}},
        {"narrow bitmap, part", {100, 1000}, {0, 30}, {120, 10, 160, 40}, {130, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 200);
        set_image(bitmap(c.bitmap.cx, c.bitmap.cy));
        SetScrollPos(control_, SB_HORZ, c.scroll.x, FALSE);
        SetScrollPos(control_, SB_VERT, c.scroll.y, FALSE);
        const SIZE size = client();
        Canvas canvas(size.cx, size.cy);
        paint(canvas, IsRectEmpty(&c.clip) ? nullptr : &c.clip);
        // Where the bitmap is narrower than the client it sits in the middle.
        const int left = size.cx > c.bitmap.cx ? (size.cx - c.bitmap.cx) / 2 : -c.scroll.x;
        const int top = size.cy > c.bitmap.cy ? (size.cy - c.bitmap.cy) / 2 : -c.scroll.y;
        EXPECT_EQ(canvas.at(c.probe.x, c.probe.y), pattern(c.probe.x - left, c.probe.y - top));
        if (!IsRectEmpty(&c.clip)) {
            EXPECT_EQ(canvas.at(c.clip.right + 1, c.clip.bottom + 1), kSentinel) << "clipped";
        }
        DestroyWindow(control_);
    }
}

TEST_F(PreviewControlTest, EmptyControlShowsAnInvertingCross) {
    Canvas canvas(300, 200);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
    struct Case {
        const char* label;
        HGDIOBJ image;
    };
    const Case cases[] = {{"no bitmap", nullptr}, {"not a bitmap", brush}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 200);
        set_image(static_cast<HBITMAP>(c.image));
        EXPECT_EQ(SendMessageA(control_, STM_GETIMAGE, IMAGE_BITMAP, 0),
                  reinterpret_cast<LRESULT>(c.image));
        EXPECT_FALSE(shows(SB_HORZ));
        EXPECT_FALSE(shows(SB_VERT));
        paint(canvas);
        // kSentinel inverted on both diagonals, untouched elsewhere.
        const std::uint32_t inverted = ~kSentinel & 0xFFFFFF;
        EXPECT_EQ(canvas.at(0, 0), inverted);
        EXPECT_EQ(canvas.at(30, 20), inverted);
        EXPECT_EQ(canvas.at(297, 2), inverted);
        EXPECT_EQ(canvas.at(150, 100), kSentinel) << "where the lines cross, inverted twice";
        EXPECT_EQ(canvas.at(150, 10), kSentinel);
        DestroyWindow(control_);
    }
    DeleteObject(brush);
}

TEST_F(PreviewControlTest, NeverDeletesABitmap) {
    create(300, 200);
    HBITMAP first = bitmap(10, 10);
    HBITMAP second = bitmap(500, 500);
    EXPECT_EQ(set_image(first), nullptr);
    EXPECT_EQ(set_image(second), first);
    Canvas canvas(300, 200);
    paint(canvas);
    EXPECT_EQ(set_image(nullptr), second);
    EXPECT_EQ(set_image(first), nullptr);
    DestroyWindow(control_);
    pump_messages();
    EXPECT_EQ(gui_objects_.deletes(), 0u);
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BITMAP));
}

} // namespace
} // namespace tq350::logo::test
