// The logo dialog from its real template, driven like a user would: which
// boxes it enables for which picture, what the preview shows, and (checked
// after every test) that every bitmap it made or was given ends up deleted
// once, or handed back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/tests/win_test_support.h"
#include "logo/logo_dialog.h"
#include "logo/picture_loader.h"
#include "logo/tests/test_pictures.h"
#include "res/resource.h"

namespace tq350::logo::test {
namespace {

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

// A 1-bit DIB section, all black, as the loader hands over a 1-bit bitmap file.
HBITMAP one_bit_picture(int width, int height) {
    const Bytes file = box_bitmap_file(width, height, 1, {0, 0, width, height});
    return LoadPictureFile(write_scratch_file("one bit.bmp", file).c_str());
}

std::string g_next_picture;

class LogoDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_next_picture.clear();
        g_ask_for_picture_file = [](HWND) { return g_next_picture; };
    }
    void TearDown() override {
        close();
        g_ask_for_picture_file = AskForPictureFile;
        pump_messages();
        gui_objects_.expect_none_left("after the test");
    }
    // Opens the dialog on a picture, which it owns from now on, and lets it
    // run its first conversion.
    void open(HBITMAP picture) {
        close();
        logo_ = picture;
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOGO), nullptr,
                                     LogoDialogProc, reinterpret_cast<LPARAM>(&logo_));
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOWNA);
        pump_messages();
    }
    // Destroys the dialog and deletes what it left in the caller's variable.
    void close() {
        if (dialog_)
            DestroyWindow(dialog_);
        if (logo_)
            DeleteObject(logo_);
        dialog_ = nullptr;
        logo_ = nullptr;
    }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }
    // A click as the button itself reports it, or another notification.
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
    // Each box E(nabled) or D(isabled), + checked or - not: B&W, Stretch,
    // Download, Center Horizontal, Center Vertical; then the size shown.
    std::string state() const {
        std::string s;
        for (int id : {IDC_LOGO_BLACK_WHITE, IDC_LOGO_STRETCH, IDOK, IDC_LOGO_CENTER_HORIZONTAL,
                       IDC_LOGO_CENTER_VERTICAL})
            s += std::string(IsWindowEnabled(item(id)) ? "E" : "D") +
                 (IsDlgButtonChecked(dialog_, id) ? "+ " : "- ");
        char width[16] = {}, height[16] = {};
        GetDlgItemTextA(dialog_, IDC_LOGO_WIDTH, width, sizeof width);
        GetDlgItemTextA(dialog_, IDC_LOGO_HEIGHT, height, sizeof height);
        return s + width + " x " + height;
    }

    ::tq350::test::GuiObjectWatch gui_objects_;
    ::tq350::test::BeepRecorder beeps_;
    HBITMAP logo_ = nullptr;
    HWND dialog_ = nullptr;
};

// What the boxes and the preview are for each kind of picture, and after the
// clicks that change the conversion.
TEST_F(LogoDialogTest, BoxesAndPreviewFollowThePictureAndTheClicks) {
    constexpr int kBW = IDC_LOGO_BLACK_WHITE, kStretch = IDC_LOGO_STRETCH;
    struct Case {
        const char* label;
        bool one_bit;
        int width, height;
        std::vector<int> clicks;
        const char* state;
        int preview_bits; // 0: the source picture itself, at the size shown
    } const cases[] = {
        {"1 bit within the logo area", true, 100, 50, {}, "D+ D+ E- E- E- 100 x 50", 0},
        {"1 bit larger", true, 500, 300, {}, "D+ E- D- D- D- 500 x 300", 0},
        {"colour within", false, 100, 50, {}, "E+ D+ E- E- E- 100 x 50", 1},
        {"colour larger", false, 500, 300, {}, "E+ E- D- D- D- 500 x 300", 1},
        {"colour 384 x 247", false, 384, 247, {}, "E+ D+ E- D- D- 384 x 247", 1},
        {"stretched", false, 1000, 500, {kStretch}, "E+ E+ E- D- E- 384 x 192", 1},
        // At its own size the colour preview is the picture itself.
        {"colour", false, 100, 50, {kBW}, "E- D+ D- D- D- 100 x 50", 0},
        {"colour and back", false, 100, 50, {kBW, kBW}, "E+ D+ E- E- E- 100 x 50", 1},
        {"stretched colour", false, 1000, 500, {kStretch, kBW}, "E- E+ D- D- D- 384 x 192", 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        open(c.one_bit ? one_bit_picture(c.width, c.height) : screen_picture(c.width, c.height));
        for (int id : c.clicks)
            click(id);
        EXPECT_EQ(state(), c.state);
        const LoadedBitmap shown = describe(preview());
        EXPECT_EQ(c.preview_bits == 0, preview() == logo_);
        if (c.preview_bits) {
            EXPECT_EQ(shown.bits_per_pixel, c.preview_bits);
        }
        EXPECT_EQ(state().substr(15),
                  std::to_string(shown.width) + " x " + std::to_string(shown.height));
        EXPECT_TRUE(beeps_.beeps().empty());
    }
    // The left half of the stretched picture is black: a clear bit in the logo.
    open(screen_picture(1000, 500));
    click(IDC_LOGO_STRETCH);
    EXPECT_EQ(pixel(preview(), 10, 10), 0x000000u);
    EXPECT_EQ(pixel(preview(), 300, 10), 0xFFFFFFu);
    // Focus changes and double clicks of the check boxes change nothing.
    const HBITMAP shown = preview();
    press(IDC_LOGO_BLACK_WHITE, BN_DOUBLECLICKED);
    press(IDC_LOGO_STRETCH, BN_SETFOCUS);
    EXPECT_EQ(preview(), shown);
    EXPECT_EQ(state(), "E+ E+ E- D- E- 384 x 192");
    // The preview wants the arrow keys and Tab, so it moves the focus on itself.
    SetFocus(item(IDC_LOGO_PREVIEW));
    ASSERT_EQ(GetFocus(), item(IDC_LOGO_PREVIEW));
    SendMessageA(item(IDC_LOGO_PREVIEW), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), item(IDC_LOGO_BLACK_WHITE));
}

// Download hands over the logo and deletes the picture; destroyed without
// Cancel or Download, as when its owner goes, the dialog deletes its preview
// and leaves the picture to the caller (the fixture deletes it and counts
// what is left). Without a picture it stays as the template made it.
TEST_F(LogoDialogTest, DownloadHandsOverExactlyOneBitmapAndOnlyWhenEnabled) {
    // Enter sends IDOK whether or not "Download" is enabled.
    HBITMAP larger = screen_picture(500, 300);
    open(larger);
    SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
    pump_messages();
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(logo_, larger);

    const HBITMAP source = screen_picture(100, 50);
    open(source);
    const HBITMAP converted = preview();
    press(IDOK);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(logo_, converted);
    EXPECT_EQ(GetObjectType(source), 0u) << "the source picture is deleted";

    open(larger = screen_picture(500, 300));
    ASSERT_NE(preview(), larger);
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    EXPECT_EQ(logo_, larger);
    open(nullptr);
    EXPECT_EQ(state(), "D- D- D- D- D-  x ");
}

// Download centres the logo only where its box is enabled and checked.
TEST_F(LogoDialogTest, CentringAppliesWhereTheBoxIsEnabledAndChecked) {
    const auto logo_size = [this] {
        const LoadedBitmap logo = describe(logo_);
        return std::to_string(logo.width) + " x " + std::to_string(logo.height) + " at " +
               std::to_string(logo.bits_per_pixel);
    };
    open(one_bit_picture(100, 50));
    click(IDC_LOGO_CENTER_HORIZONTAL);
    press(IDOK);
    EXPECT_EQ(logo_size(), "242 x 50 at 1");
    // Then a 384-wide logo: the horizontal box is disabled but keeps its check.
    open(one_bit_picture(100, 50));
    click(IDC_LOGO_CENTER_HORIZONTAL);
    click(IDC_LOGO_CENTER_VERTICAL);
    g_next_picture = write_scratch_file("wide.bmp", box_bitmap_file(384, 100, 1, {}));
    press(IDC_LOGO_LOAD_OTHER);
    EXPECT_EQ(state(), "D+ D+ E- D+ E+ 384 x 100");
    press(IDOK);
    EXPECT_EQ(logo_size(), "384 x 173 at 1");
}

TEST_F(LogoDialogTest, LoadOtherReplacesThePictureAndCancelLeavesNoBitmap) {
    const HBITMAP first = screen_picture(500, 300);
    open(first);
    click(IDC_LOGO_STRETCH);
    const HBITMAP first_preview = preview();
    // Cancelled, or a file that is no picture: nothing changes.
    for (const std::string& answer : {std::string(), write_scratch_file("not.gif", {'G', 'I'})}) {
        g_next_picture = answer;
        press(IDC_LOGO_LOAD_OTHER);
        EXPECT_EQ(logo_, first);
        EXPECT_EQ(preview(), first_preview);
    }
    g_next_picture = write_scratch_file("small.bmp", box_bitmap_file(60, 30, 1, {0, 0, 10, 10}));
    press(IDC_LOGO_LOAD_OTHER);
    EXPECT_EQ(preview(), logo_) << "a 1-bit picture needs no conversion";
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(first_preview), 0u);
    EXPECT_EQ(state(), "D+ D+ E- E- E- 60 x 30");
    g_next_picture = write_scratch_file("big.bmp", box_bitmap_file(800, 40, 24, {0, 0, 10, 10}));
    press(IDC_LOGO_LOAD_OTHER);
    EXPECT_EQ(state(), "E+ E- D- D- D- 800 x 40") << "unchecked, then B&W clicked again";
    EXPECT_EQ(describe(logo_).bits_per_pixel, 24);
    // Cancel after all that: every bitmap made or given is gone (the fixture
    // checks that none is left and none deleted twice).
    click(IDC_LOGO_STRETCH);
    press(IDCANCEL);
    EXPECT_EQ(logo_, nullptr);
    EXPECT_GE(gui_objects_.deletes(), 4u);
}

TEST_F(LogoDialogTest, FailedConversionBeepsAndLeavesNoPreview) {
    open(screen_picture(10000, 1));
    click(IDC_LOGO_STRETCH);
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_EQ(preview(), nullptr);
    EXPECT_EQ(state(), "E+ E+ E- D- E- 384 x 0");
    const HBITMAP source = logo_;
    press(IDOK);
    EXPECT_EQ(logo_, nullptr);
    EXPECT_EQ(GetObjectType(source), 0u);
}

} // namespace
} // namespace tq350::logo::test
