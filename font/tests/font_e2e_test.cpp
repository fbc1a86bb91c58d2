// The font editor of the real program under Wine: a character drawn with the mouse,
// downloaded after a reset to the virtual TQ-350 behind COM5, and its test print.
#include <algorithm>
#include <utility>

#include "link/tests/e2e_support.h"
#include "res/resource.h"

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
    // Left-button presses in the middle of cells of font A's 12 x 24 grid.
    HWND glyph = GetDlgItem(editor, IDC_FONT_GLYPH);
    RECT client{};
    GetClientRect(glyph, &client);
    const int cell = std::min(client.right / 12, client.bottom / 24);
    const std::pair<int, int> dots[] = {{0, 0}, {5, 10}, {11, 23}};
    for (const auto& [column, row] : dots) {
        const LPARAM point = MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2);
        send(glyph, WM_LBUTTONDOWN, MK_LBUTTON, point);
        send(glyph, WM_LBUTTONUP, 0, point);
    }

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
    const int conn = journal.connection_of("font_define");
    const std::string sent = journal.bytes(conn);
    EXPECT_EQ(sent.substr(0, 18 + 5 * 3 + 48 * 3),
              "1B 40 00 1B 26 30 1B 26 32 41 41 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 00 00 00 10 ");
    EXPECT_EQ(from_hex(sent).size(), 3u + 3 + 53 + 253);

    // On the paper, after a feed of 34 dots, the codes from 32 in lines of 32
    // characters 12 dots wide and 24 high: 'A' is the second of the second line.
    PaperPage page;
    ASSERT_EQ(journal.read_paper(conn, page), "");
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool drawn = std::find(std::begin(dots), std::end(dots),
                                         std::pair<int, int>{x, y}) != std::end(dots);
            EXPECT_EQ(page.dot(12 + x, 34 + 24 + y), drawn) << "dot " << x << "," << y;
        }
    }
}

} // namespace
} // namespace tq350::e2e
