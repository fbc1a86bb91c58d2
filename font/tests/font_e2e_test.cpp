// The font editor of the real program under Wine: a character drawn with a press,
// downloaded after a reset to the virtual TQ-350 behind COM5, and its test print
// (which the printer's golden pages draw).
#include "link/tests/e2e_support.h"
#include "res/resource.h"
#include "testing/hex.h"

namespace tq350::e2e {
namespace {

TEST_F(EndToEnd, ADrawnCharacterIsDownloadedAndTestPrinted) {
    const Program* program = connected();
    ASSERT_NE(program, nullptr);
    program->command(IDM_FONT_EDITOR);
    HWND editor = program->wait_for_popup("Dialog");
    ASSERT_NE(editor, nullptr);
    HWND codes = GetDlgItem(editor, IDC_FONT_CODES);
    send(codes, LB_SETCURSEL, 'A' - 32, 0);
    send(editor, WM_COMMAND, MAKEWPARAM(IDC_FONT_CODES, LBN_SELCHANGE),
         reinterpret_cast<LPARAM>(codes));
    // A press in the top left cell of font A's 12 x 24 grid.
    send(GetDlgItem(editor, IDC_FONT_GLYPH), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    send(GetDlgItem(editor, IDC_FONT_GLYPH), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));

    VirtualPrinter journal("com5");
    // Posted: the questions it opens are answered here.
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_FONT_DOWNLOAD, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_FONT_DOWNLOAD)));
    for (const char* question : {"Do You want to reset downloadable font first?",
                                 "Are You want to print test of downloaded symbols?"}) {
        ASSERT_NE(program->wait_for_popup(kMessageCaption), nullptr) << question;
        EXPECT_EQ(program->answer_message_box(IDYES), question);
    }
    ASSERT_TRUE(journal.wait_closed(1));
    // The reset of font A, code 'A' with its 24 rows of two bytes, and the test print
    // of 253 bytes.
    const std::string sent = journal.bytes(journal.connection_of("font_define"));
    EXPECT_EQ(sent.substr(0, 18 + 5 * 3 + 48 * 3),
              "1B 40 00 1B 26 30 1B 26 32 41 41 80 00 " + test::run("00", 46) + " ");
    EXPECT_EQ(from_hex(sent).size(), 3u + 3 + 53 + 253);
}

} // namespace
} // namespace tq350::e2e
