// The bitmap preview control (STATICBITMAP) as the program registers it:
// scroll bars, centring, scrolling by message and key, painting. That it
// never deletes a bitmap shows in the logo dialog's suite, which deletes
// every bitmap the control hands back and fails on a second delete.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
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

    Canvas(int w, int h, bool with_pattern = false) : width(w) {
        BITMAPINFO info{{sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < w * h; ++i)
            pixels[i] = with_pattern ? pattern(i % w, i / w) : kSentinel;
    }
    ~Canvas() { DeleteObject(bitmap); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    std::uint32_t at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
};

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
    void create(int width, int height, DWORD style = WS_HSCROLL | WS_VSCROLL | SS_CENTERIMAGE) {
        if (control_)
            DestroyWindow(control_);
        control_ = CreateWindowA(kPreviewControlClass, "Preview", WS_CHILD | WS_VISIBLE | style, 0,
                                 0, width, height, parent_, nullptr, nullptr, nullptr);
        ASSERT_NE(control_, nullptr);
    }
    HBITMAP bitmap(int width, int height) {
        Canvas canvas(width, height, true);
        bitmaps_.push_back(std::exchange(canvas.bitmap, nullptr));
        return bitmaps_.back();
    }
    HBITMAP set_image(HBITMAP image) {
        return reinterpret_cast<HBITMAP>(
            SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
    }
    bool shows(DWORD bar_style) const { return GetWindowLongA(control_, GWL_STYLE) & bar_style; }
    int position(int bar) const { return GetScrollPos(control_, bar); }
    LRESULT scroll(UINT message, int code, int thumb = 0) {
        return SendMessageA(control_, message, MAKEWPARAM(code, thumb), 0);
    }
    // Paints into a canvas of the client's size filled with kSentinel,
    // through the control's WM_PAINT with a given DC, optionally clipped.
    void paint(Canvas& canvas, const RECT* clip = nullptr) {
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

// Where the bars go and where they start are the core's tests; here the
// system's bar sizes, the style and the bitmap shown before reach it.
TEST_F(PreviewControlTest, BarsFollowTheBitmapAndTheFirstStartsCentred) {
    const int bar_width = GetSystemMetrics(SM_CXVSCROLL);
    create(300, 200);
    set_image(bitmap(300 - bar_width / 2, 400));
    EXPECT_TRUE(shows(WS_HSCROLL)) << "the vertical bar takes more width than is spare";
    SCROLLINFO h{sizeof h, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(control_, SB_HORZ, &h);
    EXPECT_EQ(h.nPage, static_cast<UINT>(300 - bar_width + 1));
    create(400, 300);
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 300);
    set_image(bitmap(500, 100));
    EXPECT_EQ(position(SB_HORZ), 100) << "300 clamped to 500 - 400, not centred again";
    set_image(nullptr);
    EXPECT_FALSE(shows(WS_HSCROLL));
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 300) << "the first after none starts centred again";
    create(400, 300, WS_HSCROLL | WS_VSCROLL);
    set_image(bitmap(1000, 100));
    EXPECT_EQ(position(SB_HORZ), 0) << "without SS_CENTERIMAGE";
}

// Keys go through the system's input queue with Shift or Ctrl held, so that
// the control reads them as the user's.
TEST_F(PreviewControlTest, ScrollMessagesAndKeysMoveWithinTheRange) {
    // A bitmap 700 wider and higher than the client with both bars, scrolled
    // to (10, 10): a range of 0 to 700, a page of 70.
    struct Case {
        const char* label;
        UINT message; // WM_KEYDOWN: `code` is the key, `thumb` the key held
        int code, thumb, bar, expected;
    } const cases[] = {
        {"page down", WM_VSCROLL, SB_PAGEDOWN, 0, SB_VERT, 80},
        {"thumb before the start", WM_HSCROLL, SB_THUMBTRACK, 0xFFFF, SB_HORZ, 0},
        {"Ctrl+Right", WM_KEYDOWN, VK_RIGHT, VK_CONTROL, SB_HORZ, 700},
        {"Shift+Page Down", WM_KEYDOWN, VK_NEXT, VK_SHIFT, SB_HORZ, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 300, WS_HSCROLL | WS_VSCROLL);
        set_image(
            bitmap(1000 - GetSystemMetrics(SM_CXVSCROLL), 1000 - GetSystemMetrics(SM_CYHSCROLL)));
        SetScrollPos(control_, SB_HORZ, 10, FALSE);
        SetScrollPos(control_, SB_VERT, 10, FALSE);
        const bool key = c.message == WM_KEYDOWN;
        INPUT held{INPUT_KEYBOARD, {}};
        held.ki.wVk = static_cast<WORD>(key ? c.thumb : VK_SHIFT);
        SendInput(1, &held, sizeof held);
        pump_messages();
        EXPECT_EQ(scroll(c.message, c.code, key ? 0 : c.thumb), 0);
        EXPECT_TRUE(!key || position(c.bar) == 10) << "the scroll is posted, not sent";
        held.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &held, sizeof held);
        pump_messages();
        EXPECT_EQ(position(c.bar), c.expected);
        EXPECT_EQ(position(c.bar == SB_HORZ ? SB_VERT : SB_HORZ), 10);
    }
    EXPECT_EQ(SendMessageA(control_, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
}

TEST_F(PreviewControlTest, ScrollingRepaintsWithoutEraseAndEndScrollNot) {
    ShowWindow(parent_, SW_SHOWNA); // a hidden window keeps no update region
    create(300, 200);
    set_image(bitmap(1000, 1000));
    pump_messages(); // the window system's own first paint
    ValidateRect(control_, nullptr);
    RECT update{};
    EXPECT_EQ(scroll(WM_VSCROLL, SB_ENDSCROLL), 0);
    EXPECT_FALSE(GetUpdateRect(control_, &update, FALSE)) << "SB_ENDSCROLL repaints nothing";
    EXPECT_EQ(scroll(WM_VSCROLL, SB_LINEDOWN), 0);
    EXPECT_TRUE(GetUpdateRect(control_, &update, FALSE));
    set_image(bitmap(100, 50));
    EXPECT_EQ(scroll(WM_HSCROLL, SB_LINERIGHT), 1) << "nothing to scroll";
}

TEST_F(PreviewControlTest, BitmapIsPaintedFromItsPositionOrInTheMiddle) {
    struct Case {
        const char* label;
        SIZE bitmap;
        POINT scroll;
        RECT clip;            // empty: the whole client
        POINT probe, outside; // outside: where nothing is painted
    } const cases[] = {
        {"smaller, in the middle", {100, 50}, {}, {}, {199, 124}, {200, 124}},
        {"scrolled, part", {1000, 1000}, {50, 30}, {100, 80, 150, 120}, {120, 90}, {151, 121}},
        {"narrow, part", {100, 1000}, {0, 30}, {120, 10, 160, 40}, {130, 20}, {161, 41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        create(300, 200);
        set_image(bitmap(c.bitmap.cx, c.bitmap.cy));
        SetScrollPos(control_, SB_HORZ, c.scroll.x, FALSE);
        SetScrollPos(control_, SB_VERT, c.scroll.y, FALSE);
        Canvas canvas(300, 200);
        paint(canvas, IsRectEmpty(&c.clip) ? nullptr : &c.clip);
        RECT client{};
        GetClientRect(control_, &client);
        // Where the bitmap is smaller than the client it sits in the middle.
        const LONG left =
            client.right > c.bitmap.cx ? (client.right - c.bitmap.cx) / 2 : -c.scroll.x;
        const LONG top =
            client.bottom > c.bitmap.cy ? (client.bottom - c.bitmap.cy) / 2 : -c.scroll.y;
        EXPECT_EQ(canvas.at(c.probe.x, c.probe.y), pattern(c.probe.x - left, c.probe.y - top));
        EXPECT_EQ(canvas.at(c.outside.x, c.outside.y), kSentinel);
    }
}

TEST_F(PreviewControlTest, EmptyControlShowsAnInvertingCross) {
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
    for (HGDIOBJ image : {HGDIOBJ{}, HGDIOBJ{brush}}) {
        SCOPED_TRACE(image ? "not a bitmap" : "no bitmap");
        create(300, 200);
        set_image(static_cast<HBITMAP>(image));
        EXPECT_EQ(SendMessageA(control_, STM_GETIMAGE, IMAGE_BITMAP, 0),
                  reinterpret_cast<LRESULT>(image));
        EXPECT_FALSE(shows(WS_HSCROLL | WS_VSCROLL));
        Canvas canvas(300, 200);
        paint(canvas);
        // kSentinel inverted on both diagonals, untouched elsewhere.
        EXPECT_EQ(canvas.at(30, 20), ~kSentinel & 0xFFFFFF);
        EXPECT_EQ(canvas.at(297, 2), ~kSentinel & 0xFFFFFF);
        EXPECT_EQ(canvas.at(150, 100), kSentinel) << "where the lines cross, inverted twice";
        EXPECT_EQ(canvas.at(150, 10), kSentinel);
    }
    DeleteObject(brush);
}

} // namespace
} // namespace tq350::logo::test
