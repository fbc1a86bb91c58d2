// "Logo Editor..." in the real program under Wine against the virtual TQ-350: a
// picture file chosen in the open-file dialog, downloaded with its test print, and
// the paper that test print comes out on.
#include "link/tests/e2e_support.h"
#include "logo/tests/expected_test_print.h"
#include "logo/tests/test_pictures.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

// Whether the page holds, at or below row `from`, the raster (top row first, the
// leftmost dot in bit 0) with each dot `across` dots wide and each row `down` rows
// high, and nothing else across the paper: the row where it starts, or -1.
int find_logo(const PaperPage& page, const logo::test::Bytes& raster, int row_bytes, int across,
              int down, int from) {
    const int height = static_cast<int>(raster.size()) / row_bytes * down;
    const auto expected = [&](int x, int y) {
        const int dot = x / across, row = y / down;
        return dot < row_bytes * 8 && ((raster[row * row_bytes + dot / 8] >> (dot % 8)) & 1);
    };
    for (int top = from; top + height <= page.height; ++top) {
        bool same = true;
        for (int y = 0; y < height && same; ++y)
            for (int x = 0; x < page.width && same; ++x)
                same = page.dot(x, top + y) == expected(x, y);
        if (same)
            return top;
    }
    return -1;
}

TEST_F(EndToEnd, DownloadedLogoIsPrintedInTheFourModes) {
    // 12 x 3, a 1-bit file listing white first: set bits are black. Rows: black
    // on dots 0-3; all black; black on dot 11 only.
    const std::string picture = logo::test::write_scratch_file(
        "e2e-1bit.bmp",
        logo::test::bitmap_file(12, 3, 1, {RGBQUAD{255, 255, 255, 0}, RGBQUAD{0, 0, 0, 0}},
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

    const std::string definition = "1D 2A 02 03 0F 00 FF 0F 00 08";
    const int conn = journal.connection_of("logo_define");
    EXPECT_EQ(journal.bytes(conn), "1B 40 00 " + definition + " " + logo::test::kExpectedTestPrint);
    EXPECT_TRUE(journal.wait_for_line("\"width\":16,\"height\":3")) << "the logo the printer holds";

    // The test print: the stored raster in the four modes, in order.
    PaperPage page;
    ASSERT_EQ(journal.read_paper(conn, page), "");
    ASSERT_EQ(page.width, 384);
    const logo::test::Bytes raster{0x0F, 0x00, 0xFF, 0x0F, 0x00, 0x08};
    const struct { int across, down; } modes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    int from = 0;
    for (const auto& m : modes) {
        SCOPED_TRACE(testing::Message() << "mode " << m.across << " x " << m.down);
        const int top = find_logo(page, raster, 2, m.across, m.down, from);
        ASSERT_GE(top, 0) << "not on the paper below row " << from;
        from = top + 1;
    }
}

} // namespace
} // namespace tq350::e2e
