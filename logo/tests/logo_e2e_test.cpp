// "Logo Editor..." in the real program under Wine against the virtual TQ-350:
// a picture file chosen in the open-file dialog, converted in the logo dialog
// and downloaded, as the printer receives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "e2e_support.h"
#include "expected_test_print.h"
#include "test_pictures.h"

namespace tq350::e2e {
namespace {

constexpr DWORD kExchangeMs = 30000;
// A download is paced at a millisecond a byte after each chunk.
constexpr DWORD kDownloadMs = 60000;
constexpr const char* kMessageCaption = "Printer Settings";

using logo::test::bitmap_file;
using logo::test::kExpectedTestPrint;
using logo::test::write_scratch_file;

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

    void connect(Program& program) {
        const int closed = com5_.closed_connections();
        program.click(IDC_CONNECT_GET);
        ASSERT_TRUE(com5_.wait_for([&](const auto&) { return com5_.closed_connections() > closed; },
                                   kExchangeMs));
        ASSERT_TRUE(
            program.wait_until([&] { return program.enabled(IDC_CONNECT_SET); }, kExchangeMs));
    }

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
    connect(program);
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
    }
}

} // namespace
} // namespace tq350::e2e
