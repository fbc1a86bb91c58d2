// The SYMBOLDRAW control as registered by the program, in a parent window that
// counts its change notifications: one case per message to prove the wiring (the
// grid, packing and edits themselves are the core's), what a paint puts on the
// screen, and no GDI or USER object left once the window is gone. A size that
// cannot be allocated is the font editor suite's case.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/tests/hex.h"
#include "control_classes.h"
#include "font/glyph_editor_control.h"
#include "win_test_support.h"

namespace tq350::font {
namespace {

using tq350::test::hex;

constexpr int kControlId = 1029;
// The control in the font editor dialog: 72 x 136 dialog units with 6 x 13 base units.
constexpr int kWidth = 108;
constexpr int kHeight = 221;

int g_notifications = 0;
int g_erases = 0;
WNDPROC g_control_proc = nullptr;

LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_NOTIFY)
        return DefWindowProcA(window, message, wparam, lparam);
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    const bool from_control = header->hwndFrom == GetDlgItem(window, kControlId) &&
                              header->idFrom == kControlId && wparam == kControlId;
    g_notifications += from_control && header->code == 0 ? 1 : 1000;
    return 0;
}

// Sits in front of the control's own procedure to see the erases it is sent.
LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    g_erases += message == WM_ERASEBKGND ? 1 : 0;
    return CallWindowProcA(g_control_proc, window, message, wparam, lparam);
}

class GlyphEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = parent_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GlyphEditorTestParent";
        RegisterClassA(&wc); // already registered by an earlier test: fine
        parent_ =
            CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 10, 10, kWidth + 20,
                            kHeight + 20, nullptr, nullptr, wc.hInstance, nullptr);
        control_ = CreateWindowExA(0, kGlyphEditorClass, "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth,
                                   kHeight, parent_, reinterpret_cast<HMENU>(INT_PTR{kControlId}),
                                   wc.hInstance, nullptr);
        ASSERT_NE(control_, nullptr);
        g_control_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_proc)));
        set_size(12, 24);
        settle();
    }
    void TearDown() override {
        DestroyWindow(parent_);
        tq350::test::pump_messages();
        gui_objects_.expect_none_left("after the test");
    }

    // Paints whatever is pending and forgets the counts so far.
    void settle() {
        UpdateWindow(control_);
        tq350::test::pump_messages();
        g_notifications = 0;
        g_erases = 0;
    }
    LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageA(control_, message, wparam, lparam);
    }
    LRESULT set_size(int width, int height) {
        return send(SDM_SETSIZE, 0, MAKELPARAM(width, height));
    }
    LRESULT press(int x, int y) {
        return send(WM_LBUTTONDOWN, MK_LBUTTON,
                    MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    // The glyph's first `count` bytes at a pitch of 2, inverted polarity if asked;
    // bytes the control does not write stay AA.
    std::string rows(std::size_t count = 4, bool inverted = false) {
        std::vector<std::uint8_t> buffer(48, 0xAA);
        send(SDM_GETBITS, MAKEWPARAM(2, inverted ? 1 : 0), reinterpret_cast<LPARAM>(buffer.data()));
        return hex(std::span(buffer).first(count));
    }

    tq350::test::GuiObjectWatch gui_objects_;
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
};

// A press toggles the dot under it, notifies, and repaints its cell alone
// without erasing; off the grid nothing happens.
TEST_F(GlyphEditorTest, APressTogglesItsDot) {
    press(2 * 9 + 4, 1 * 9 + 4);
    EXPECT_EQ(rows(), "00 00 20 00");
    EXPECT_EQ(g_notifications, 1);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(control_, &update, FALSE));
    EXPECT_EQ((std::vector<LONG>{update.left, update.top, update.right, update.bottom}),
              (std::vector<LONG>{18, 9, 27, 18}));
    UpdateWindow(control_);
    EXPECT_EQ(g_erases, 0);
    press(50, 216);
    EXPECT_EQ(g_notifications, 1) << "below the grid";
}

// Each message in a 12 x 24 glyph whose reference (the last commit) has dot 0 of
// the top row and which shows dots 0 and 1. Only a new size erases the background.
TEST_F(GlyphEditorTest, EachMessageActsOnTheGlyphAndNotifies) {
    std::vector<std::uint8_t> source(48, 0xFF);
    source[0] = 0x0F;
    struct Case {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM size;
        const char* top_rows;
        int notifications, erases;
        bool modified;
    };
    const Case cases[] = {
        {"clear", SDM_CLEAR, 0, 0, "00 00 00 00", 1, 0, true},
        {"fill", SDM_FILL, 0, 0, "FF F0 FF F0", 1, 0, true},
        {"invert", SDM_INVERT, 0, 0, "3F F0 FF F0", 1, 0, true},
        {"box", SDM_BOX, 0, 0, "3F F0 80 10", 1, 0, true},
        {"revert", SDM_REVERT, 0, 0, "80 00 00 00", 1, 0, false},
        {"commit", SDM_COMMIT, 0, 0, "C0 00 00 00", 0, 0, false},
        {"set bits, inverted", SDM_SETBITS, MAKEWPARAM(2, 1), 0, "F0 00 00 00", 1, 0, true},
        {"same size", SDM_SETSIZE, 0, MAKELPARAM(12, 24), "00 00 00 00", 1, 0, false},
        {"new size", SDM_SETSIZE, 0, MAKELPARAM(8, 16), "00 AA 00 AA", 1, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        set_size(12, 24);
        press(0, 0);
        send(SDM_COMMIT);
        press(9, 0);
        settle();
        const LPARAM lparam = c.size ? c.size : reinterpret_cast<LPARAM>(source.data());
        EXPECT_EQ(send(c.message, c.wparam, lparam), 0);
        EXPECT_EQ(rows(), c.top_rows);
        EXPECT_EQ(g_notifications, c.notifications);
        EXPECT_EQ(send(SDM_ISMODIFIED), c.modified ? 1 : 0);
        UpdateWindow(control_);
        EXPECT_EQ(g_erases, c.erases);
    }
    set_size(12, 24);
    send(SDM_SETBITS, MAKEWPARAM(2, 1), reinterpret_cast<LPARAM>(source.data()));
    EXPECT_EQ(rows(2, true), "0F F0") << "inverted: blank dots set, the unused bits not";
}

// What the preview shows: a top-down 1-bit DIB, one pixel a dot,
// inked dots colour 0, black.
TEST_F(GlyphEditorTest, TheBitmapShowsTheGlyphTopDownInBlackOnWhite) {
    press(0, 0);
    press(11 * 9, 23 * 9);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(send(SDM_GETDIB));
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RGBQUAD colours[2]{};
    GetDIBColorTable(dc, 0, 2, colours);
    SelectObject(dc, previous);
    DeleteDC(dc);
    EXPECT_EQ(std::to_string(dib.dsBm.bmWidth) + " x " + std::to_string(dib.dsBm.bmHeight) + " x " +
                  std::to_string(dib.dsBm.bmBitsPixel) + ": " + hex({bits, 4}) + " / " +
                  hex({bits + 23 * 4, 4}) + ", colours " + hex({&colours[0].rgbBlue, 3}) + " / " +
                  hex({&colours[1].rgbBlue, 3}),
              "12 x 24 x 1: 7F F0 00 00 / FF E0 00 00, colours 00 00 00 / FF FF FF");
    DeleteObject(bitmap);
}

// The control painted into a bitmap of its own size: black squares framed white
// for inked dots, white squares framed black for blank ones, white below the grid.
// Over the cells the cursor is a cross.
TEST_F(GlyphEditorTest, PaintingDrawsTheCells) {
    press(1 * 9, 0);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ASSERT_NE(target, nullptr);
    auto* bits = static_cast<std::uint32_t*>(pixels);
    std::fill(bits, bits + kWidth * kHeight, 0x00FF00FFu); // magenta: not painted
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, target);
    send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    GdiFlush();
    struct Case {
        const char* what;
        int x, y;
        std::uint32_t colour;
        LPCSTR cursor;
    };
    const Case cases[] = {{"blank cell inside", 4, 4, 0xFFFFFF, IDC_CROSS},
                          {"inked cell inside", 13, 4, 0x000000, IDC_CROSS},
                          {"inked cell frame", 17, 8, 0xFFFFFF, IDC_CROSS},
                          {"last cell frame", 107, 215, 0x000000, IDC_CROSS},
                          {"below the grid", 50, 218, 0xFFFFFF, IDC_ARROW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(bits[c.y * kWidth + c.x] & 0xFFFFFFu, c.colour);
        POINT point{c.x, c.y};
        ClientToScreen(control_, &point);
        SetCursorPos(point.x, point.y);
        SetCursor(nullptr);
        send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, c.cursor));
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(target);
}

} // namespace
} // namespace tq350::font
