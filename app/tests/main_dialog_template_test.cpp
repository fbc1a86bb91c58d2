// The main dialog's template, control by control in tab order, against the layout
// the program has always had: a stray edit to the resource script shows up here.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/main_dialog_fixture.h"

namespace tq350::test {
namespace {

struct TemplateControl {
    int id;
    const char* window_class;
    const char* text;
    RECT dialog_units; // left, top, width, height
    DWORD style_bits;  // bits that must be set
};

constexpr DWORD kLvBase = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                          LVS_NOLABELWRAP | LVS_NOCOLUMNHEADER;

const TemplateControl kMainTemplate[] = {
    {-1, "Button", "Connection", {7, 7, 190, 51}, BS_GROUPBOX | WS_GROUP},
    {-1, "Static", "&Port:", {13, 17, 46, 8}, 0},
    {1000, "ComboBox", "", {13, 29, 46, 65}, CBS_SORT | WS_TABSTOP},
    {-1, "Static", "&Speed:", {63, 17, 56, 8}, 0},
    {1006, "ComboBox", "", {63, 29, 56, 95}, WS_TABSTOP},
    {1019, "Button", "Connect && &Get", {126, 16, 64, 12}, BS_NOTIFY | WS_TABSTOP},
    {1020, "Button", "Connect && Se&t", {126, 30, 64, 12}, BS_NOTIFY | WS_TABSTOP},
    {-1, "Static", "Obtain the real speed from the printer self test.", {13, 46, 177, 8}, 0},
    {-1, "Button", "Printer Info/Support", {7, 60, 190, 107}, BS_GROUPBOX},
    {-1, "Static", "Printer name:", {13, 73, 50, 8}, 0},
    {1002, "Edit", "", {70, 70, 121, 14}, ES_READONLY},
    {-1, "Static", "Printer status:", {13, 89, 50, 8}, 0},
    {1008, "Edit", "", {70, 87, 121, 14}, ES_READONLY},
    {-1, "Static", "Battery voltage:", {13, 107, 50, 8}, 0},
    {1003, "Edit", "", {70, 104, 26, 14}, ES_READONLY},
    {-1, "Static", "Head temperature:", {101, 107, 62, 8}, 0},
    {1004, "Edit", "", {165, 104, 26, 14}, ES_READONLY},
    {1001, "SysListView32", "", {13, 121, 178, 40}, kLvBase},
    {-1, "Button", "Settable Parameters", {204, 7, 190, 180}, BS_GROUPBOX},
    {1018, "SysListView32", "", {210, 18, 178, 72}, kLvBase | WS_TABSTOP},
    {-1, "Static", "&Density:", {210, 96, 28, 8}, 0},
    {1005, "ComboBox", "", {243, 94, 38, 65}, WS_TABSTOP},
    {-1, "Static", "Auto o&ff time (mins):", {292, 96, 66, 8}, 0},
    {1007, "Edit", "", {362, 93, 26, 14}, ES_READONLY | ES_NUMBER | WS_TABSTOP},
    {1021,
     "msctls_updown32",
     "",
     {380, 93, 11, 14},
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS},
    {1022, "Button", "&Enable Black Mark Mode", {210, 110, 96, 10}, BS_AUTOCHECKBOX},
    {-1, "Button", "IrDA max speed", {210, 123, 178, 27}, BS_GROUPBOX | WS_GROUP},
    {1014, "Button", "Max &115200", {218, 135, 55, 10}, BS_AUTORADIOBUTTON | WS_GROUP},
    {1015, "Button", "Max &57600 (recommended)", {284, 134, 99, 10}, BS_AUTORADIOBUTTON},
    {-1, "Button", "IrDA protocol", {210, 153, 178, 27}, BS_GROUPBOX | WS_GROUP},
    {1016, "Button", "&Reliable", {218, 164, 55, 10}, BS_AUTORADIOBUTTON | WS_GROUP},
    {1017, "Button", "Ra&w (not recommended)", {284, 164, 99, 10}, BS_AUTORADIOBUTTON},
    {1, "Button", "&OK", {49, 174, 50, 14}, WS_GROUP},
    {2, "Button", "&Cancel", {108, 174, 50, 14}, 0},
};

std::string window_text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(MainDialogTest, TemplateHoldsEveryControlInTabOrder) {
    open_dialog();
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), std::size(kMainTemplate));
    for (size_t i = 0; i < children.size(); ++i) {
        const TemplateControl& c = kMainTemplate[i];
        HWND child = children[i];
        SCOPED_TRACE(std::to_string(i) + ": " + c.text + " " + std::to_string(c.id));
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_STRCASEEQ(cls, c.window_class);
        const std::string cls_name = c.window_class;
        if (cls_name != "Edit" && cls_name != "ComboBox") {
            EXPECT_EQ(window_text(child), c.text);
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        // Button kinds are a number, not bits.
        if (cls_name == "Button" && (c.style_bits & BS_TYPEMASK)) {
            EXPECT_EQ(style & BS_TYPEMASK, c.style_bits & BS_TYPEMASK);
        }
        const DWORD bits = cls_name == "Button" ? c.style_bits & ~BS_TYPEMASK : c.style_bits;
        EXPECT_EQ(style & bits, bits);
        if (cls_name == "ComboBox") {
            EXPECT_EQ(style & CBS_SORT, c.style_bits & CBS_SORT) << "only the port list sorts";
        }
        if (c.id == 1021)
            continue; // the up-down control moves itself next to its buddy
        // The dialog manager maps position and size each on its own.
        RECT position{c.dialog_units.left, c.dialog_units.top, 0, 0};
        RECT size{0, 0, c.dialog_units.right, c.dialog_units.bottom};
        MapDialogRect(dialog_, &position);
        MapDialogRect(dialog_, &size);
        const RECT expected{position.left, position.top, position.left + size.right,
                            position.top + size.bottom};
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (c.id != 1007) { // the up-down control takes its width from its buddy
            EXPECT_EQ(actual.right - actual.left, expected.right - expected.left);
        }
        if (cls_name != "ComboBox") { // the height given is the drop-down's
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom - expected.top);
        }
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_STYLE));
    const DWORD expected_style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                 DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND |
                                 DS_NOFAILCREATE;
    EXPECT_EQ(style & expected_style, expected_style);
    EXPECT_EQ(window_text(dialog_), "TQ-350 Setup Tool");
    RECT client{0, 0, 406, 209};
    MapDialogRect(dialog_, &client);
    RECT actual{};
    GetClientRect(dialog_, &actual);
    EXPECT_EQ(actual.right, client.right);
}

} // namespace
} // namespace tq350::test
