// "Logo Editor..." in the real program under Wine against the virtual TQ-350:
// a picture file chosen in the open-file dialog, converted in the logo dialog
// and downloaded, as the printer receives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "res/resource.h"
#include "link/tests/e2e_support.h"
#include "logo/tests/expected_test_print.h"
#include "link/tests/paper_page.h"
#include "logo/tests/test_pictures.h"

namespace tq350::e2e {
namespace {

constexpr DWORD kExchangeMs = 30000;
// A download is paced at a millisecond a byte after each chunk.
constexpr DWORD kDownloadMs = 60000;
constexpr const char* kMessageCaption = "Printer Settings";

using logo::test::bitmap_file;
using logo::test::Bytes;
using logo::test::kExpectedTestPrint;
using logo::test::write_scratch_file;

// The logo as the paper shows it in one print mode, the full width of the
// paper: the raster bytes as the definition carries them (top row first, the
// leftmost dot in bit 0 of each byte), each dot `across` dots wide and each row
// `down` rows high.
using DotRows = std::vector<std::vector<bool>>;
DotRows logo_on_paper(const Bytes& raster, int row_bytes, int across, int down) {
    DotRows rows;
    for (size_t top = 0; top < raster.size(); top += row_bytes) {
        std::vector<bool> row(384, false);
        for (int x = 0; x < row_bytes * 8; ++x)
            for (int k = 0; k < across; ++k)
                if (x * across + k < 384)
                    row[x * across + k] = (raster[top + x / 8] >> (x % 8)) & 1;
        for (int d = 0; d < down; ++d)
            rows.push_back(row);
    }
    return rows;
}

// The first row at or below `from` where the page holds exactly these rows, or -1.
int find_on_page(const PaperPage& page, const DotRows& rows, int from) {
    const int height = static_cast<int>(rows.size());
    for (int top = from; top + height <= page.height; ++top) {
        bool same = true;
        for (int y = 0; y < height && same; ++y)
            for (int x = 0; x < page.width && same; ++x)
                same = page.dot(x, top + y) == rows[y][x];
        if (same)
            return top;
    }
    return -1;
}

Bytes from_hex(const std::string& hex) {
    Bytes bytes;
    for (size_t at = 0; at + 1 < hex.size(); at += 3)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(at, 2), nullptr, 16)));
    return bytes;
}

const RGBQUAD kBlackEntry{0, 0, 0, 0};
const RGBQUAD kWhiteEntry{255, 255, 255, 0};

class LogoEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        delete_settings();
        store_setting("COM Port", 5);
        ASSERT_TRUE(com5_.set_faults("power_cycle"));
    }
    void TearDown() override { delete_settings(); }

    VirtualPrinter com5_{"com5"};
};

TEST_F(LogoEndToEnd, DownloadedPictureArrivesWithItsRasterAndTheFourModes) {
    struct Case {
        const char* label;
        std::string path;
        const char* definition; // GS * x y and the raster, top row first
        const char* logo_image;
    };
    const Case cases[] = {
        // 12 x 3, a 1-bit file listing white first: set bits are black.
        // Rows: black on dots 0-3; all black; black on dot 11 only.
        {"1-bit file, white first",
         write_scratch_file("e2e-1bit.bmp",
                            bitmap_file(12, 3, 1, {kWhiteEntry, kBlackEntry},
                                        {{0xF0, 0x00}, {0xFF, 0xF0}, {0x00, 0x10}})),
         "1D 2A 02 03 0F 00 FF 0F 00 08", "\"width\":16,\"height\":3"},
        // 16 x 2, 24 bits: the left half black, converted in the dialog.
        {"24-bit file",
         write_scratch_file("e2e-24bit.bmp", logo::test::box_bitmap_file(16, 2, 24, {0, 0, 8, 2})),
         "1D 2A 02 02 FF 00 FF 00", "\"width\":16,\"height\":2"},
    };
    Program program;
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(connect_and_get(program, com5_, kExchangeMs));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        VirtualPrinter journal("com5");
        HWND logo_dialog = program.open_logo_dialog(c.path, kExchangeMs);
        ASSERT_NE(logo_dialog, nullptr);
        // "Download" is enabled once the first conversion has run.
        ASSERT_TRUE(program.click_when_enabled(logo_dialog, IDOK, kExchangeMs));
        // Ends early when the program shows a message instead of sending.
        journal.wait_for(
            [&](const auto&) {
                return journal.closed_connections() >= 1 || program.find_popup(kMessageCaption);
            },
            kDownloadMs);
        program.sync();
        ASSERT_EQ(program.answer_message_box(), "");
        EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));

        const std::vector<JournalEntry> entries = journal.entries();
        int conn = 0;
        std::string definition, image;
        std::vector<std::string> after_definition;
        for (const JournalEntry& e : entries) {
            if (e.name == "logo_define") {
                conn = e.conn;
                definition = e.hex;
            } else if (conn && e.conn == conn && (e.name == "logo_print" || e.name == "feed")) {
                after_definition.push_back(e.hex);
            }
            if (e.name == "logo_image")
                image = e.line;
        }
        ASSERT_NE(conn, 0);
        EXPECT_EQ(definition, c.definition);
        EXPECT_EQ(after_definition, (std::vector<std::string>{"1D 2F 00", "1D 2F 01", "1D 2F 02",
                                                              "1D 2F 03", "1B 4A 50"}));
        EXPECT_EQ(connection_bytes(entries, conn),
                  std::string("1B 40 00 ") + c.definition + " " + kExpectedTestPrint);
        EXPECT_NE(image.find(c.logo_image), std::string::npos) << image;

        // The test print on the paper: the stored raster in the four modes, in order.
        ASSERT_TRUE(journal.wait_for(
            [&](const auto& all) { return !paper_file(all, conn).empty(); }, kExchangeMs));
        PaperPage page;
        std::string error;
        ASSERT_TRUE(read_paper_page(paper_file(journal.entries(), conn), page, error)) << error;
        ASSERT_EQ(page.width, 384);
        const Bytes definition_bytes = from_hex(definition);
        const Bytes raster(definition_bytes.begin() + 4, definition_bytes.end());
        const int row_bytes = definition_bytes[2];
        const struct { int across, down; } modes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
        int from = 0;
        for (const auto& m : modes) {
            SCOPED_TRACE(testing::Message() << "mode " << m.across << " x " << m.down);
            const int top =
                find_on_page(page, logo_on_paper(raster, row_bytes, m.across, m.down), from);
            ASSERT_GE(top, 0) << "not on the paper below row " << from;
            from = top + 1;
        }
    }
}

} // namespace
} // namespace tq350::e2e
