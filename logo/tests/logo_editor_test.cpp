// "Logo Editor..." from the main dialog to the bytes on the line: the real
// main dialog and logo dialog, picture files through the real loader, and a
// scripted printer behind the serial port.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "link/tests/fake_serial_io.h"
#include "logo/picture_loader.h"
#include "logo/tests/expected_test_print.h"
#include "logo/tests/test_pictures.h"
#include "res/resource.h"
#include "testing/hex.h"

namespace tq350::logo::test {
namespace {

using ::tq350::test::hex;
using ::tq350::test::ModalAnswerer;
using ::tq350::test::pump_messages;
using ::tq350::test::run;

std::string g_picture;

class LogoEditorTest : public ::tq350::test::MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        open_dialog();
        SetConnectedState(dialog_, true);
        beeps_.clear();
        g_picture.clear();
        g_ask_for_picture_file = [](HWND) { return g_picture; };
    }
    void TearDown() override {
        g_ask_for_picture_file = AskForPictureFile;
        MainDialogTest::TearDown();
    }

    // Runs the command on a picture file: the logo dialog gets the clicks,
    // then the end button (Download or Cancel). Message boxes are answered
    // with OK and their texts kept.
    void run_command(const std::string& picture, std::vector<int> clicks, int end_button = IDOK) {
        g_picture = picture;
        dialogs_opened_ = 0;
        messages_.clear();
        ModalAnswerer answerer;
        answerer.on_open = [&](HWND window) {
            if (GetDlgItem(window, 0xFFFF)) { // a message box
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return;
            }
            ++dialogs_opened_;
            for (int id : clicks)
                PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
            PostMessageA(GetDlgItem(window, end_button), BM_CLICK, 0, 0);
            // Should "Download" still be disabled, the test fails instead of hanging.
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        };
        command(IDM_LOGO_EDITOR, 0);
        pump_messages();
        for (const ModalAnswerer::Seen& seen : answerer.seen())
            if (!seen.text.empty())
                messages_.push_back(seen.caption + ": " + seen.text);
    }
    link::test::FakeSerialIo printer_;
    int dialogs_opened_ = 0;
    std::vector<std::string> messages_;
};

// One file down each of the loader's paths and each way of storing a 1-bit
// picture; the raster's bytes themselves are the core's tests.
TEST_F(LogoEditorTest, DownloadSendsTheRasterAndTheFourModes) {
    // 12 x 2: the top row black on its first four dots, the bottom row all
    // black; each file stores it its own way.
    const Bytes black_first = bitmap_file(12, 2, 1, 40, {0, 0xFFFFFF}, {{0x0F, 0xF0}, {0, 0}});
    const Bytes white_first = bitmap_file(12, 2, 1, 40, {0xFFFFFF, 0}, {{0xF0, 0}, {0xFF, 0xF0}});
    struct Case {
        const char* label;
        Bytes file;
        std::string expected; // without the test print
    } const cases[] = {
        {"1 bit", black_first, "1D 2A 02 02 0F 00 FF 0F"},
        // A set bit is black in this file; it must not print as the negative.
        {"1 bit, white first", white_first, "1D 2A 02 02 0F 00 FF 0F"},
        {"24 bits, left half black", box_bitmap_file(16, 2, 24, {0, 0, 8, 2}),
         "1D 2A 02 02 FF 00 FF 00"},
        {"GIF saved as .bmp, black rows on top", read_file(built_picture("top-band.gif")),
         "1D 2A 05 1E " + run("FF", 50) + " " + run("00", 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        printer_.writes.clear();
        run_command(write_scratch_file("logo.bmp", c.file), {});
        EXPECT_EQ(dialogs_opened_, 1);
        EXPECT_EQ(hex(printer_.written()), "1B 40 00 " + c.expected + " " + kExpectedTestPrint);
        EXPECT_TRUE(messages_.empty());
        EXPECT_TRUE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    }
    EXPECT_TRUE(beeps_.beeps().empty());
}

TEST_F(LogoEditorTest, CancelSendsNothingAndLeavesNoBitmap) {
    const std::string file =
        write_scratch_file("cancel.bmp", box_bitmap_file(700, 300, 24, {0, 0, 5, 5}));
    const ::tq350::test::GuiObjectWatch watch;
    run_command(file, {IDC_LOGO_STRETCH, IDC_LOGO_BLACK_WHITE, IDC_LOGO_STRETCH}, IDCANCEL);
    EXPECT_EQ(dialogs_opened_, 1);
    EXPECT_TRUE(printer_.opened.empty());
    watch.expect_none_left("after Cancel");
    run_command(file, {IDC_LOGO_STRETCH});
    EXPECT_FALSE(printer_.opened.empty());
    watch.expect_none_left("after the download");
}

// No picture, whatever the reason, and the command ends there: no logo
// dialog, no message, no beep.
TEST_F(LogoEditorTest, NoPictureDoesNothing) {
    const Bytes bmp = box_bitmap_file(16, 8, 24, {0, 0, 4, 4});
    for (const std::string& file :
         {std::string(), write_scratch_file("cut.bmp", Bytes(bmp.begin(), bmp.end() - 10))}) {
        SCOPED_TRACE(file);
        run_command(file, {});
        EXPECT_EQ(dialogs_opened_, 0);
        EXPECT_TRUE(messages_.empty());
    }
    EXPECT_TRUE(printer_.opened.empty());
    EXPECT_TRUE(beeps_.beeps().empty());
}

TEST_F(LogoEditorTest, FailedConversionIsNotAValidImage) {
    // 10000 x 1 fits the logo area as 384 x 0.
    run_command(write_scratch_file("thin.bmp", box_bitmap_file(10000, 1, 24, {0, 0, 10, 1})),
                {IDC_LOGO_STRETCH});
    EXPECT_EQ(messages_, std::vector<std::string>{"Printer Settings: Not a valid image!"});
    EXPECT_TRUE(printer_.opened.empty());
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION}) << "the conversion's beep";
}

TEST_F(LogoEditorTest, PortThatWillNotOpenIsReported) {
    printer_.refuse_open = true;
    run_command(write_scratch_file("port.bmp", box_bitmap_file(8, 8, 1, {0, 0, 8, 8})), {});
    EXPECT_EQ(messages_,
              std::vector<std::string>{"Printer Settings: Can NOT communicate with printer!"});
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
}

} // namespace
} // namespace tq350::logo::test
