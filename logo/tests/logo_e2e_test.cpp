// "Logo Editor..." in the real program under Wine against the virtual TQ-350: a
// picture file chosen in the open-file dialog, downloaded with its test print.
// How the printer prints the four modes is the virtual printer's golden page.
#include "link/tests/e2e_support.h"
#include "logo/tests/expected_test_print.h"
#include "logo/tests/test_pictures.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

TEST_F(EndToEnd, DownloadedLogoAndItsTestPrintReachThePrinter) {
    // 12 x 3, a 1-bit file listing white first: set bits are black. Rows: black
    // on dots 0-3; all black; black on dot 11 only.
    const std::string picture = logo::test::write_scratch_file(
        "e2e-1bit.bmp", logo::test::bitmap_file(12, 3, 1, 40, {0xFFFFFF, 0x000000},
                                                {{0xF0, 0x00}, {0xFF, 0xF0}, {0x00, 0x10}}));
    const Program* program = connected();
    ASSERT_NE(program, nullptr);
    VirtualPrinter journal("com5");
    HWND logo_dialog = program->open_logo_dialog(picture, kExchangeMs);
    ASSERT_NE(logo_dialog, nullptr);
    // "Download" is enabled once the first conversion has run.
    ASSERT_TRUE(program->click_when_enabled(logo_dialog, IDOK, kExchangeMs));
    ASSERT_TRUE(program->wait_gone(logo_dialog, kExchangeMs));
    ASSERT_TRUE(journal.wait_closed(1, 2 * kExchangeMs));
    ASSERT_EQ(program->answer_message_box(), "");
    EXPECT_TRUE(program->enabled(IDC_CONNECT_SET));
    const int conn = journal.connection_of("logo_define");
    EXPECT_EQ(journal.bytes(conn),
              "1B 40 00 1D 2A 02 03 0F 00 FF 0F 00 08 " + logo::test::kExpectedTestPrint);
    EXPECT_TRUE(journal.wait_for_line("\"width\":16,\"height\":3")) << "the logo the printer holds";
    PaperPage page;
    EXPECT_EQ(journal.read_paper(conn, page), "") << "the test print came out";
}

} // namespace
} // namespace tq350::e2e
