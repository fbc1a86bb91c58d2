// The logo dialog from its real template, driven like a user would: which
// boxes it enables for which picture, what the preview shows, and (checked
// after every test) that every bitmap it made or was given ends up deleted
// once, or handed back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "logo/logo_dialog.h"
#include "logo/picture_loader.h"
#include "app/main_dialog.h"
#include "logo/tests/test_pictures.h"
#include "app/tests/win_test_support.h"

namespace tq350::logo::test {
namespace {

using ::tq350::test::BeepRecorder;
using ::tq350::test::pump_messages;

// A picture as the loader hands over a non-bitmap file: the screen's format,
// no addressable pixels. Black on the left half, white on the right.
HBITMAP screen_picture(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    PatBlt(dc, 0, 0, width / 2, height, BLACKNESS);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A 1-bit DIB section as the loader hands over a 1-bit bitmap file.
HBITMAP one_bit_picture(int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{{sizeof(BITMAPINFOHEADER), width, height, 1, 1, BI_RGB, 0, 0, 0, 2, 0},
           {{0, 0, 0, 0}, {255, 255, 255, 0}}};
    void* bits = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                            nullptr, 0);
}

std::string g_next_picture;

class LogoDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_next_picture.clear();
        g_ask_for_picture_file = [](HWND) { return g_next_picture; };
    }
    void TearDown() override {
        if (dialog_ && IsWindow(dialog_)) {
            if (IsWindowVisible(dialog_))
                press(IDCANCEL);
            DestroyWindow(dialog_);
        }
        if (logo_)
            DeleteObject(logo_);
        g_ask_for_picture_file = AskForPictureFile;
        pump_messages();
        gui_objects_.expect_none_left("after the test");
    }
    // Opens the dialog on a picture, which it owns from now on, and lets it
    // run its first conversion.
    HWND open(HBITMAP picture) {
        logo_ = picture;
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOGO), nullptr,
                                     LogoDialogProc, reinterpret_cast<LPARAM>(&logo_));
        EXPECT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOWNA);
        pump_messages();
        return dialog_;
    }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }
    bool checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    std::string text(int id) const {
        char buffer[64] = {};
        GetDlgItemTextA(dialog_, id, buffer, sizeof buffer);
        return buffer;
    }
    // A click as the button itself reports it.
    void press(int id, int code = BN_CLICKED) {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item(id)));
        pump_messages();
    }
    // A click of the mouse: toggles an auto check box, then notifies.
    void click(int id) {
        SendMessageA(item(id), BM_CLICK, 0, 0);
        pump_messages();
    }
    HBITMAP preview() const {
        return reinterpret_cast<HBITMAP>(
            SendMessageA(item(IDC_LOGO_PREVIEW), STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    std::string box_states() const {
        std::string s;
        for (int id : {IDC_LOGO_BLACK_WHITE, IDC_LOGO_STRETCH, IDOK, IDC_LOGO_CENTER_HORIZONTAL,
                       IDC_LOGO_CENTER_VERTICAL}) {
            if (!s.empty())
                s += ' ';
            s += enabled(id) ? (checked(id) ? "E+" : "E-") : (checked(id) ? "D+" : "D-");
        }
        return s;
    }

    ::tq350::test::GuiObjectWatch gui_objects_;
    HBITMAP logo_ = nullptr;
    HWND dialog_ = nullptr;
    BeepRecorder beeps_;
};

struct TemplateControl {
    int id;
    const char* window_class;
    const char* text;
    RECT dialog_units; // left, top, width, height
    DWORD style_bits;
};

const TemplateControl kLogoTemplate[] = {
    {1024, "STATICBITMAP", "Preview", {7, 7, 260, 156}, WS_BORDER | WS_TABSTOP | WS_GROUP | 0x030E},
    {1025,
     "Button",
     "Preview &B&&W",
     {7, 168, 69, 10},
     BS_AUTOCHECKBOX | BS_NOTIFY | WS_DISABLED | WS_GROUP | WS_TABSTOP},
    {1026,
     "Button",
     "&Stretch size for printer",
     {80, 168, 89, 10},
     BS_AUTOCHECKBOX | BS_NOTIFY | WS_DISABLED},
    {-1, "Static", "Sizes:", {174, 168, 22, 10}, SS_CENTERIMAGE},
    {1043, "Edit", "", {198, 166, 22, 14}, ES_READONLY | ES_NUMBER | WS_BORDER | WS_GROUP},
    {-1, "Static", "x", {221, 168, 8, 10}, 0},
    {1044, "Edit", "", {227, 166, 22, 14}, ES_READONLY | ES_NUMBER | WS_BORDER | WS_GROUP},
    {-1, "Static", "pixels", {245, 168, 22, 10}, SS_RIGHT},
    {1027,
     "Button",
     "Center &Horizontal",
     {7, 184, 69, 10},
     BS_AUTOCHECKBOX | BS_NOTIFY | WS_DISABLED | WS_GROUP | WS_TABSTOP},
    {1028,
     "Button",
     "Center Vertical     within",
     {80, 184, 89, 10},
     BS_AUTOCHECKBOX | BS_NOTIFY | WS_DISABLED},
    {-1, "Static", "Sizes:", {174, 184, 22, 10}, WS_DISABLED},
    {1045, "Edit", "", {198, 182, 22, 14}, ES_READONLY | ES_NUMBER | WS_DISABLED},
    {-1, "Static", "x", {221, 184, 8, 10}, WS_DISABLED},
    {1046, "Edit", "", {227, 182, 22, 14}, ES_READONLY | ES_NUMBER | WS_DISABLED},
    {-1, "Static", "pixels", {245, 184, 22, 10}, SS_RIGHT | WS_DISABLED},
    {1,
     "Button",
     "&Download",
     {37, 202, 50, 14},
     BS_DEFPUSHBUTTON | WS_DISABLED | WS_GROUP | WS_TABSTOP},
    {2, "Button", "&Cancel", {110, 202, 50, 14}, WS_TABSTOP},
    {1042, "Button", "&Load Other...", {183, 202, 50, 14}, WS_TABSTOP},
};

TEST_F(LogoDialogTest, TemplateHoldsEveryControlInTabOrder) {
    // Without a picture the dialog stays as the template made it.
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOGO), nullptr,
                                 LogoDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    char title[64] = {};
    GetWindowTextA(dialog_, title, sizeof title);
    EXPECT_STREQ(title, "Preview & download logo");
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), std::size(kLogoTemplate));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const TemplateControl& c = kLogoTemplate[i];
        HWND child = children[i];
        SCOPED_TRACE(std::to_string(i) + ": " + c.text + " " + std::to_string(c.id));
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_STRCASEEQ(cls, c.window_class);
        char text[64] = {};
        GetWindowTextA(child, text, sizeof text);
        EXPECT_STREQ(text, c.text);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE));
        const std::string cls_name = c.window_class;
        if (cls_name == "Button") {
            EXPECT_EQ(style & BS_TYPEMASK, c.style_bits & BS_TYPEMASK);
        }
        DWORD bits = cls_name == "Button" ? c.style_bits & ~BS_TYPEMASK : c.style_bits;
        // The dialog manager draws a border as a sunken client edge.
        if (bits & WS_BORDER) {
            EXPECT_TRUE((style & WS_BORDER) || (ex_style & WS_EX_CLIENTEDGE));
            bits &= ~WS_BORDER;
        }
        EXPECT_EQ(style & bits, bits);
        RECT position{c.dialog_units.left, c.dialog_units.top, 0, 0};
        RECT size{0, 0, c.dialog_units.right, c.dialog_units.bottom};
        MapDialogRect(dialog_, &position);
        MapDialogRect(dialog_, &size);
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, position.left);
        EXPECT_EQ(actual.top, position.top);
        EXPECT_EQ(actual.right - actual.left, size.right);
        EXPECT_EQ(actual.bottom - actual.top, size.bottom);
    }
    EXPECT_EQ(box_states(), "D- D- D- D- D-");
    EXPECT_EQ(preview(), nullptr);
}

TEST_F(LogoDialogTest, BoxesFollowThePicture) {
    // Each box: E(nabled) or D(isabled), + checked or - not:
    // B&W, Stretch, Download, Center Horizontal, Center Vertical.
    struct Case {
        const char* label;
        bool one_bit;
        int width, height;
        const char* boxes;
        int preview_bits; // 0: the source picture itself
        const char* size;
    };
    const Case cases[] = {
        {"1 bit within the logo area", true, 100, 50, "D+ D+ E- E- E-", 0, "100 x 50"},
        {"1 bit larger", true, 500, 300, "D+ E- D- D- D-", 0, "500 x 300"},
        {"colour within the logo area", false, 100, 50, "E+ D+ E- E- E-", 1, "100 x 50"},
        {"colour larger", false, 500, 300, "E+ E- D- D- D-", 1, "500 x 300"},
        {"colour 384 x 247", false, 384, 247, "E+ D+ E- D- D-", 1, "384 x 247"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HBITMAP source =
            c.one_bit ? one_bit_picture(c.width, c.height) : screen_picture(c.width, c.height);
        open(source);
        EXPECT_EQ(box_states(), c.boxes);
        EXPECT_EQ(text(IDC_LOGO_WIDTH) + " x " + text(IDC_LOGO_HEIGHT), c.size);
        EXPECT_EQ(text(IDC_LOGO_AREA_WIDTH) + " x " + text(IDC_LOGO_AREA_HEIGHT), "384 x 247");
        if (c.preview_bits == 0) {
            EXPECT_EQ(preview(), source);
        } else {
            const LoadedBitmap shown = describe(preview());
            EXPECT_NE(preview(), source);
            EXPECT_EQ(shown.bits_per_pixel, c.preview_bits);
            EXPECT_TRUE(shown.dib_section);
            EXPECT_EQ(shown.width, c.width);
        }
        EXPECT_TRUE(beeps_.beeps().empty());
        press(IDCANCEL);
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(LogoDialogTest, StretchFitsTheLogoArea) {
    open(screen_picture(1000, 500));
    click(IDC_LOGO_STRETCH);
    EXPECT_EQ(box_states(), "E+ E+ E- D- E-");
    EXPECT_EQ(text(IDC_LOGO_WIDTH) + " x " + text(IDC_LOGO_HEIGHT), "384 x 192");
    const LoadedBitmap shown = describe(preview());
    EXPECT_EQ(shown.width, 384);
    EXPECT_EQ(shown.height, 192);
    EXPECT_EQ(shown.bits_per_pixel, 1);
    // The left half of the picture is black: a clear bit in the logo.
    EXPECT_EQ(pixel(preview(), 10, 10), 0x000000u);
    EXPECT_EQ(pixel(preview(), 300, 10), 0xFFFFFFu);
}

TEST_F(LogoDialogTest, UncheckingBlackAndWhiteShowsColour) {
    // At its own size the colour preview is the picture itself.
    open(screen_picture(100, 50));
    click(IDC_LOGO_BLACK_WHITE);
    EXPECT_EQ(box_states(), "E- D+ D- D- D-");
    EXPECT_EQ(preview(), logo_);
    click(IDC_LOGO_BLACK_WHITE);
    EXPECT_EQ(box_states(), "E+ D+ E- E- E-");
    EXPECT_EQ(describe(preview()).bits_per_pixel, 1);
    press(IDCANCEL);
    DestroyWindow(dialog_);

    // Fitted, it is a 24-bit copy of the fitted size.
    open(screen_picture(1000, 500));
    click(IDC_LOGO_STRETCH);
    click(IDC_LOGO_BLACK_WHITE);
    EXPECT_EQ(box_states(), "E- E+ D- D- D-");
    const LoadedBitmap shown = describe(preview());
    EXPECT_EQ(shown.bits_per_pixel, 24);
    EXPECT_EQ(shown.width, 384);
    EXPECT_EQ(shown.height, 192);
    EXPECT_TRUE(shown.dib_section);
}

TEST_F(LogoDialogTest, OtherNotificationsChangeNothing) {
    open(screen_picture(100, 50));
    const HBITMAP shown = preview();
    press(IDC_LOGO_BLACK_WHITE, BN_DOUBLECLICKED);
    press(IDC_LOGO_STRETCH, BN_SETFOCUS);
    press(IDC_LOGO_LOAD_OTHER, BN_KILLFOCUS);
    EXPECT_EQ(preview(), shown);
    EXPECT_EQ(box_states(), "E+ D+ E- E- E-");
}

// The preview wants the arrow keys and Tab, so it moves the focus on itself.
TEST_F(LogoDialogTest, TabLeavesThePreviewForTheNextControl) {
    open(screen_picture(100, 50));
    SetFocus(item(IDC_LOGO_PREVIEW));
    ASSERT_EQ(GetFocus(), item(IDC_LOGO_PREVIEW));
    SendMessageA(item(IDC_LOGO_PREVIEW), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), item(IDC_LOGO_BLACK_WHITE));
}

// Enter sends IDOK whether or not "Download" is enabled.
TEST_F(LogoDialogTest, DownloadDoesNothingWhileDisabled) {
    const HBITMAP source = screen_picture(500, 300);
    open(source);
    ASSERT_FALSE(enabled(IDOK));
    SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
    pump_messages();
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(logo_, source);
    EXPECT_EQ(GetObjectType(preview()), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(LogoDialogTest, DownloadHandsOverExactlyOneBitmap) {
    const HBITMAP source = screen_picture(100, 50);
    open(source);
    const HBITMAP converted = preview();
    press(IDOK);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(logo_, converted);
    EXPECT_EQ(GetObjectType(source), 0u) << "the source picture is deleted";
    EXPECT_EQ(describe(logo_).bits_per_pixel, 1);
}

TEST_F(LogoDialogTest, CentringAppliesWhereTheBoxIsEnabledAndChecked) {
    const std::string wide_logo =
        write_scratch_file("wide.bmp", box_bitmap_file(384, 100, 1, {0, 0, 384, 100}));
    struct Case {
        const char* label;
        bool horizontal, vertical;
        const char* then_load; // "Load Other" before Download
        const char* size;
    };
    const Case cases[] = {
        {"neither", false, false, nullptr, "100 x 50"},
        {"horizontal", true, false, nullptr, "242 x 50"},
        {"vertical", false, true, nullptr, "100 x 148"},
        {"both", true, true, nullptr, "242 x 148"},
        // 384 wide: the horizontal box is disabled but keeps its check.
        {"both, then a 384-wide logo", true, true, wide_logo.c_str(), "384 x 173"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        open(one_bit_picture(100, 50));
        if (c.horizontal)
            click(IDC_LOGO_CENTER_HORIZONTAL);
        if (c.vertical)
            click(IDC_LOGO_CENTER_VERTICAL);
        if (c.then_load) {
            g_next_picture = c.then_load;
            press(IDC_LOGO_LOAD_OTHER);
            EXPECT_EQ(box_states(), "D+ D+ E- D+ E+");
        }
        press(IDOK);
        const LoadedBitmap logo = describe(logo_);
        EXPECT_EQ(std::to_string(logo.width) + " x " + std::to_string(logo.height), c.size);
        EXPECT_EQ(logo.bits_per_pixel, 1);
        DestroyWindow(dialog_);
        dialog_ = nullptr;
        DeleteObject(logo_);
        logo_ = nullptr;
    }
}

TEST_F(LogoDialogTest, LoadOtherReplacesThePicture) {
    const HBITMAP first = screen_picture(500, 300);
    open(first);
    click(IDC_LOGO_STRETCH);
    const HBITMAP first_preview = preview();
    ASSERT_NE(first_preview, first);

    // Cancelled, or a file that is no picture: nothing changes.
    for (const std::string& answer : {std::string(), write_scratch_file("not.gif", {'G', 'I'})}) {
        g_next_picture = answer;
        press(IDC_LOGO_LOAD_OTHER);
        EXPECT_EQ(logo_, first);
        EXPECT_EQ(preview(), first_preview);
        EXPECT_EQ(box_states(), "E+ E+ E- D- E-");
    }

    g_next_picture = write_scratch_file("small.bmp", box_bitmap_file(60, 30, 1, {0, 0, 10, 10}));
    press(IDC_LOGO_LOAD_OTHER);
    EXPECT_NE(logo_, first);
    EXPECT_EQ(preview(), logo_) << "a 1-bit picture needs no conversion";
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(first_preview), 0u);
    EXPECT_EQ(box_states(), "D+ D+ E- E- E-");
    EXPECT_EQ(text(IDC_LOGO_WIDTH) + " x " + text(IDC_LOGO_HEIGHT), "60 x 30");

    g_next_picture = write_scratch_file("big.bmp", box_bitmap_file(800, 40, 24, {0, 0, 10, 10}));
    press(IDC_LOGO_LOAD_OTHER);
    EXPECT_EQ(box_states(), "E+ E- D- D- D-") << "unchecked, then B&W clicked again";
    EXPECT_EQ(describe(preview()).bits_per_pixel, 1);
    EXPECT_EQ(describe(logo_).bits_per_pixel, 24);
}

// Destroyed without Cancel or Download, as when its owner goes: the dialog
// deletes its preview and leaves the picture to the caller (the fixture
// deletes it and counts what is left).
TEST_F(LogoDialogTest, DestroyedUnansweredItLeavesOnlyThePicture) {
    const HBITMAP source = screen_picture(500, 300);
    open(source);
    ASSERT_NE(preview(), source);
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    EXPECT_EQ(logo_, source);
}

TEST_F(LogoDialogTest, FailedConversionBeepsAndLeavesNoPreview) {
    // Fitted to 384 x 0: nothing to convert.
    open(screen_picture(10000, 1));
    ASSERT_TRUE(beeps_.beeps().empty());
    click(IDC_LOGO_STRETCH);
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_EQ(preview(), nullptr);
    EXPECT_EQ(text(IDC_LOGO_WIDTH) + " x " + text(IDC_LOGO_HEIGHT), "384 x 0");
    EXPECT_TRUE(enabled(IDOK));
    const HBITMAP source = logo_;
    press(IDOK);
    EXPECT_EQ(logo_, nullptr);
    EXPECT_EQ(GetObjectType(source), 0u);
}

// Back and forth between the boxes, then Cancel: every bitmap the dialog
// made or was given is gone (the fixture checks that none is left and none
// deleted twice).
TEST_F(LogoDialogTest, CancelAfterSeveralConversionsLeavesNoBitmap) {
    open(screen_picture(600, 400));
    click(IDC_LOGO_STRETCH);
    click(IDC_LOGO_BLACK_WHITE);
    click(IDC_LOGO_STRETCH);
    click(IDC_LOGO_BLACK_WHITE);
    click(IDC_LOGO_STRETCH);
    g_next_picture = write_scratch_file("next.bmp", box_bitmap_file(50, 50, 8, {0, 0, 5, 5}));
    press(IDC_LOGO_LOAD_OTHER);
    click(IDC_LOGO_BLACK_WHITE);
    press(IDCANCEL);
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    pump_messages();
    EXPECT_EQ(logo_, nullptr);
    EXPECT_GE(gui_objects_.deletes(), 6u);
}

} // namespace
} // namespace tq350::logo::test
