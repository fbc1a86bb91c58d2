// The SYMBOLDRAW control as registered by the program, in a parent window that
// counts its change notifications: mouse presses, the SDM_* messages, the
// packed rows, the preview bitmap and what a paint puts on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/control_classes.h"
#include "font/tests/failing_allocations.h"
#include "font/glyph_editor_control.h"
#include "font/tests/hex.h"
#include "app/tests/win_test_support.h"

namespace tq350::font {
namespace {

using test::hex;

constexpr int kControlId = 1029;
// The control in the font editor dialog: 72 x 136 dialog units with 6 x 13 base units.
constexpr int kWidth = 108;
constexpr int kHeight = 221;

struct Notifications {
    int count = 0;
    HWND from = nullptr;
    UINT_PTR id = 0;
    UINT code = 0xFFFF;
    WPARAM wparam = 0;
};
Notifications g_notifications;
int g_erases = 0;
WNDPROC g_control_proc = nullptr;

LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        ++g_notifications.count;
        g_notifications.from = header->hwndFrom;
        g_notifications.id = header->idFrom;
        g_notifications.code = header->code;
        g_notifications.wparam = wparam;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Sits in front of the control's own procedure to see the erases it is sent.
LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND)
        ++g_erases;
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
        parent_ = CreateWindowExA(0, "GlyphEditorTestParent", "glyph editor test",
                                  WS_POPUP | WS_VISIBLE, 10, 10, kWidth + 20, kHeight + 20, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        control_ = CreateWindowExA(0, kGlyphEditorClass, "Drawing", WS_CHILD | WS_VISIBLE, 0, 0,
                                   kWidth, kHeight, parent_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)),
                                   GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(control_, nullptr);
        g_control_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_proc)));
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
        g_notifications = Notifications{};
        g_erases = 0;
    }
    LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageA(control_, message, wparam, lparam);
    }
    void set_size(int width, int height) { send(SDM_SETSIZE, 0, MAKELPARAM(width, height)); }
    LRESULT press(int x, int y) {
        return send(WM_LBUTTONDOWN, MK_LBUTTON,
                    MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                               static_cast<WORD>(static_cast<short>(y))));
    }
    // The glyph as packed rows of the given pitch, normal polarity unless asked.
    std::string rows(int height, int pitch, bool inverted = false, std::uint8_t fill = 0xAA) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(height * pitch), fill);
        send(SDM_GETBITS, MAKEWPARAM(pitch, inverted ? 1 : 0),
             reinterpret_cast<LPARAM>(buffer.data()));
        return hex(buffer);
    }
    void set_rows(const std::vector<std::uint8_t>& bytes, int pitch) {
        send(SDM_SETBITS, static_cast<WPARAM>(pitch), reinterpret_cast<LPARAM>(bytes.data()));
    }
    int inked_dots(int width, int height) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(width * height), 0);
        send(SDM_GETBITS, static_cast<WPARAM>(width), reinterpret_cast<LPARAM>(buffer.data()));
        // One byte per row of up to 8 dots is not enough for 12; count bit by bit.
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                count += (buffer[static_cast<std::size_t>(y * width + x / 8)] >> (7 - x % 8)) & 1;
        return count;
    }
    bool modified() { return send(SDM_ISMODIFIED) != 0; }

    tq350::test::GuiObjectWatch gui_objects_;
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
};

// The rows of a glyph with a single inked dot, for comparison.
std::string single_dot_rows(int width, int height, int column, int row) {
    const int pitch = (width + 7) / 8;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(height * pitch), 0);
    if (column >= 0)
        bytes[static_cast<std::size_t>(row * pitch + column / 8)] =
            static_cast<std::uint8_t>(0x80 >> (column % 8));
    return hex(bytes);
}

TEST_F(GlyphEditorTest, APressTogglesTheDotUnderItAndNotifies) {
    struct Case {
        int width, height; // the glyph; cells are 9 px for 12 x 24 and 13 px for 8 x 16
        int x, y;          // the press in client pixels
        int column, row;   // the dot that changes, or -1: none
    };
    const Case cases[] = {
        {12, 24, 0, 0, 0, 0},     {12, 24, 8, 8, 0, 0},       {12, 24, 9, 0, 1, 0},
        {12, 24, 17, 26, 1, 2},   {12, 24, 107, 215, 11, 23}, {12, 24, 108, 0, -1, -1},
        {12, 24, 0, 216, -1, -1}, {12, 24, 50, 220, -1, -1},  {12, 24, -1, 5, -1, -1},
        {12, 24, 5, -1, -1, -1},  {8, 16, 12, 13, 0, 1},      {8, 16, 103, 207, 7, 15},
        {8, 16, 104, 0, -1, -1},  {8, 16, 0, 208, -1, -1},    {8, 16, 107, 220, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << " x " << c.height << " press at " << c.x << ", " << c.y);
        set_size(c.width, c.height);
        settle();
        press(c.x, c.y);
        EXPECT_EQ(rows(c.height, (c.width + 7) / 8),
                  single_dot_rows(c.width, c.height, c.column, c.row));
        if (c.column < 0) {
            EXPECT_EQ(g_notifications.count, 0);
            continue;
        }
        EXPECT_EQ(g_notifications.count, 1);
        EXPECT_EQ(g_notifications.from, control_);
        EXPECT_EQ(g_notifications.id, static_cast<UINT_PTR>(kControlId));
        EXPECT_EQ(g_notifications.wparam, static_cast<WPARAM>(kControlId));
        EXPECT_EQ(g_notifications.code, 0u);
    }
}

TEST_F(GlyphEditorTest, TwoPressesOnOneCellUndoEachOther) {
    set_size(12, 24);
    settle();
    EXPECT_FALSE(modified()) << "right after SDM_SETSIZE";
    press(40, 40);
    EXPECT_TRUE(modified());
    EXPECT_EQ(g_notifications.count, 1);
    press(40, 40);
    EXPECT_FALSE(modified());
    EXPECT_EQ(g_notifications.count, 2);
    EXPECT_EQ(inked_dots(12, 24), 0);
    press(40, 40);
    send(SDM_COMMIT);
    EXPECT_FALSE(modified()) << "right after SDM_COMMIT";
    EXPECT_EQ(g_notifications.count, 3) << "a commit sends no notification";
}

// A press invalidates its own cell and nothing else, without an erase: no flicker.
TEST_F(GlyphEditorTest, APressRepaintsOnlyItsCellWithoutErasing) {
    set_size(12, 24);
    settle();
    press(2 * 9 + 4, 3 * 9 + 4);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(control_, &update, FALSE));
    EXPECT_EQ(update.left, 18);
    EXPECT_EQ(update.top, 27);
    EXPECT_EQ(update.right, 27);
    EXPECT_EQ(update.bottom, 36);
    UpdateWindow(control_);
    EXPECT_EQ(g_erases, 0);
}

TEST_F(GlyphEditorTest, SetSizeBlanksBothGlyphsAndErasesOnlyForANewSize) {
    struct Case {
        int from_width, from_height, width, height;
        int erases;
    };
    const Case cases[] = {{8, 16, 12, 24, 1}, {12, 24, 12, 24, 0}, {12, 24, 8, 16, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from_width << " x " << c.from_height << " to "
                                        << c.width << " x " << c.height);
        set_size(c.from_width, c.from_height);
        press(0, 0);
        send(SDM_COMMIT);
        press(30, 30);
        settle();
        set_size(c.width, c.height);
        EXPECT_EQ(g_notifications.count, 1);
        EXPECT_EQ(inked_dots(c.width, c.height), 0);
        EXPECT_FALSE(modified());
        send(SDM_REVERT);
        EXPECT_EQ(inked_dots(c.width, c.height), 0) << "the reference is blank too";
        RECT update{};
        ASSERT_TRUE(GetUpdateRect(control_, &update, FALSE));
        EXPECT_EQ(update.right - update.left, kWidth);
        EXPECT_EQ(update.bottom - update.top, kHeight);
        UpdateWindow(control_);
        EXPECT_EQ(g_erases, c.erases);
    }
}

TEST_F(GlyphEditorTest, WithoutAGridEditsAreNotTheControlsMessages) {
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{12, 0}, std::pair{0, 24}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        set_size(width, height);
        EXPECT_EQ(g_notifications.count, 1) << "SDM_SETSIZE always notifies";
        settle();
        for (UINT message :
             {SDM_CLEAR, SDM_FILL, SDM_REVERT, SDM_COMMIT, SDM_INVERT, SDM_BOX, SDM_ISMODIFIED}) {
            SCOPED_TRACE(message);
            EXPECT_EQ(send(message), 0);
        }
        press(0, 0);
        EXPECT_EQ(g_notifications.count, 0);
        EXPECT_EQ(send(SDM_GETDIB), 0);
    }
}

TEST_F(GlyphEditorTest, WholeGlyphEditsNotifyOnce) {
    struct Case {
        const char* name;
        std::vector<UINT> messages;
        int inked; // of a 12 x 24 glyph whose reference has dot (0, 0) and shows (0, 0) and (5, 5)
    };
    const Case cases[] = {
        {"clear", {SDM_CLEAR}, 0},
        {"fill", {SDM_FILL}, 288},
        {"invert", {SDM_INVERT}, 286},
        {"box", {SDM_BOX}, 68}, // (0, 0) is one of the 68 border dots
        {"box twice", {SDM_BOX, SDM_BOX}, 2},
        {"revert", {SDM_REVERT}, 1},
        {"fill, revert", {SDM_FILL, SDM_REVERT}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        set_size(12, 24);
        press(0, 0);
        send(SDM_COMMIT);
        press(5 * 9, 5 * 9);
        settle();
        for (UINT message : c.messages)
            EXPECT_EQ(send(message), 0);
        EXPECT_EQ(inked_dots(12, 24), c.inked);
        EXPECT_EQ(g_notifications.count, static_cast<int>(c.messages.size()));
    }
}

TEST_F(GlyphEditorTest, BoxTogglesTheBorderOnce) {
    struct Case {
        int width, height;
        const char* rows;
    };
    const Case cases[] = {
        {1, 1, "80"},
        {3, 3, "E0 A0 E0"},
        {8, 4, "FF 81 81 FF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        set_size(c.width, c.height);
        send(SDM_BOX);
        EXPECT_EQ(rows(c.height, 1), c.rows);
    }
}

TEST_F(GlyphEditorTest, RowsArePackedLeftmostDotFirst) {
    struct Case {
        const char* name;
        int width;
        std::vector<std::uint8_t> source; // one row at a pitch of 2
        int pitch;
        bool inverted;
        const char* packed; // bytes beyond the row start as AA and must stay so
    };
    const Case cases[] = {
        {"dot 11 of 12", 12, {0x00, 0x10}, 2, false, "00 10"},
        {"dot 0 of 12", 12, {0x80, 0x00}, 2, false, "80 00"},
        {"dots 0-7 and 8-11", 12, {0xA5, 0xC0}, 2, false, "A5 C0"},
        {"unseen low bits dropped", 12, {0xFF, 0xFF}, 2, false, "FF F0"},
        {"wider pitch left alone", 12, {0x12, 0x30}, 3, false, "12 30 AA"},
        {"inverted blank row", 12, {0x00, 0x00}, 2, true, "FF F0"},
        {"inverted dot 11", 12, {0x00, 0x10}, 2, true, "FF E0"},
        {"8 dots", 8, {0x81, 0x00}, 1, false, "81"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        set_size(c.width, 1);
        set_rows(c.source, 2);
        EXPECT_EQ(rows(1, c.pitch, c.inverted), c.packed);
    }
}

TEST_F(GlyphEditorTest, SetBitsReadsInvertedRowsAndNotifies) {
    set_size(8, 2);
    settle();
    const std::vector<std::uint8_t> source{0x0F, 0xFF};
    send(SDM_SETBITS, MAKEWPARAM(1, 1), reinterpret_cast<LPARAM>(source.data()));
    EXPECT_EQ(g_notifications.count, 1);
    EXPECT_EQ(rows(2, 1), "F0 00");
    EXPECT_TRUE(modified());
}

// What the preview shows: one pixel a dot, inked dots black (colour 0).
TEST_F(GlyphEditorTest, TheBitmapShowsTheGlyphTopDownInBlackOnWhite) {
    struct Case {
        int width, height;
        std::vector<std::pair<int, int>> dots; // cells pressed
        std::vector<std::pair<int, const char*>> expected_rows;
    };
    const Case cases[] = {
        {8, 16, {}, {{0, "FF 00 00 00"}, {15, "FF 00 00 00"}}},
        {8, 16, {{0, 0}, {7, 15}}, {{0, "7F 00 00 00"}, {1, "FF 00 00 00"}, {15, "FE 00 00 00"}}},
        {12,
         24,
         {{0, 0}, {11, 23}},
         {{0, "7F F0 00 00"}, {12, "FF F0 00 00"}, {23, "FF E0 00 00"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << " x " << c.height << ", " << c.dots.size() << " dots");
        set_size(c.width, c.height);
        const int cell = std::min(kWidth / c.width, kHeight / c.height);
        for (const auto& [column, row] : c.dots)
            press(column * cell, row * cell);
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(send(SDM_GETDIB));
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, c.width);
        EXPECT_EQ(dib.dsBm.bmHeight, c.height);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 1);
        EXPECT_EQ(dib.dsBm.bmWidthBytes, 4);
        EXPECT_EQ(dib.dsBmih.biClrUsed, 2u);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        RGBQUAD colours[2]{};
        EXPECT_EQ(GetDIBColorTable(dc, 0, 2, colours), 2u);
        SelectObject(dc, previous);
        DeleteDC(dc);
        EXPECT_EQ(hex({&colours[0].rgbBlue, 3}), "00 00 00");
        EXPECT_EQ(hex({&colours[1].rgbBlue, 3}), "FF FF FF");
        const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
        for (const auto& [row, expected] : c.expected_rows) {
            SCOPED_TRACE(testing::Message() << "row " << row);
            // Top-down: row 0 of the bits is the glyph's top row.
            EXPECT_EQ(hex({bits + row * 4, 4}), expected);
        }
        HBITMAP next = reinterpret_cast<HBITMAP>(send(SDM_GETDIB));
        EXPECT_NE(next, bitmap) << "a new bitmap each time";
        DeleteObject(next);
        DeleteObject(bitmap);
    }
}

// The control painted into a bitmap of its own size: black squares framed white
// for inked dots, white squares framed black for blank ones, white below the grid.
TEST_F(GlyphEditorTest, PaintingDrawsTheCells) {
    set_size(12, 24);
    press(1 * 9, 0);
    struct {
        BITMAPINFOHEADER header;
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &pixels, nullptr, 0);
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
    };
    const Case cases[] = {
        {"blank cell inside", 4, 4, 0xFFFFFF},       {"blank cell frame", 0, 0, 0x000000},
        {"blank cell far frame", 8, 4, 0x000000},    {"inked cell inside", 13, 4, 0x000000},
        {"inked cell frame", 9, 0, 0xFFFFFF},        {"inked cell far frame", 17, 8, 0xFFFFFF},
        {"last cell frame", 107, 215, 0x000000},     {"below the grid", 50, 218, 0xFFFFFF},
        {"bottom right corner", 107, 220, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(bits[c.y * kWidth + c.x] & 0xFFFFFFu, c.colour);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(target);
}

// The class has no cursor: the control picks a cross over the cells.
TEST_F(GlyphEditorTest, TheCursorIsACrossOverTheCells) {
    set_size(12, 24);
    struct Case {
        int x, y;
        LPCSTR cursor;
    };
    const Case cases[] = {{4, 4, IDC_CROSS}, {107, 215, IDC_CROSS}, {50, 218, IDC_ARROW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        POINT point{c.x, c.y};
        ClientToScreen(control_, &point);
        SetCursorPos(point.x, point.y);
        SetCursor(nullptr);
        EXPECT_TRUE(send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control_),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, c.cursor));
    }
}

TEST_F(GlyphEditorTest, ASizeThatCannotBeAllocatedLeavesNoGlyph) {
    set_size(8, 16);
    press(0, 0);
    settle();
    LRESULT result = 0;
    {
        test::FailingAllocations full_heap(100);
        result = send(SDM_SETSIZE, 0, MAKELPARAM(12, 24));
        EXPECT_GT(full_heap.failures(), 0);
    }
    EXPECT_NE(result, 0);
    EXPECT_EQ(g_notifications.count, 0) << "nothing for the parent to read";
    EXPECT_EQ(send(SDM_GETDIB), 0);
    EXPECT_EQ(send(SDM_ISMODIFIED), 0);
    press(0, 0);
    EXPECT_EQ(g_notifications.count, 0) << "no grid to press";
    EXPECT_EQ(rows(24, 2).substr(0, 11), "AA AA AA AA") << "nothing packed";

    EXPECT_EQ(send(SDM_SETSIZE, 0, MAKELPARAM(12, 24)), 0) << "with memory again";
    EXPECT_EQ(g_notifications.count, 1);
    press(0, 0);
    EXPECT_EQ(rows(24, 2), single_dot_rows(12, 24, 0, 0));
}

} // namespace
} // namespace tq350::font
