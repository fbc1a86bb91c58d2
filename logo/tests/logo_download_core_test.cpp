#include "logo/logo_download_core.h"

#include "logo/tests/expected_test_print.h"
#include "testing/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::logo {
namespace {

using ::tq350::test::hex;
using ::tq350::test::run;

// String-table entries 35 to 39 as the program's resources hold them.
const LogoCaptionTexts captions{"\nPreview LOGO '%s':\n",
                                {"Normal 203x203 DPI", "Double width 101x203 DPI",
                                 "Double height 203x101 DPI", "Double W/H 101x101 DPI"}};

// ESC % 0, ESC ! 1, the four captions (36 + 42 + 43 + 40 bytes) each followed
// by GS / m, and ESC J 80.
const std::string& test_print_hex = test::kExpectedTestPrint;

TEST(LogoRaster, BytesAsThePrinterWantsThem) {
    const std::array<Rgb, 2> black_first{black, white};
    const std::array<Rgb, 2> white_first{white, black};
    const std::vector<std::uint8_t> three_rows{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    const std::vector<std::uint8_t> filled{0x00, 0x11, 0x22, 0x33, 0x44, 0xEE, 0xEE, 0xEE,
                                           0x55, 0x66, 0x77, 0x88, 0x99, 0xEE, 0xEE, 0xEE};
    struct Case {
        const char* label;
        std::uint32_t width, height;
        std::vector<std::uint8_t> stored;
        std::array<Rgb, 2> colours;
        std::string expected;
    } const cases[] = {
        {"all black", 8, 1, {0x00, 0xEE, 0xEE, 0xEE}, black_first, "FF"},
        {"leftmost white", 8, 1, {0x80, 0, 0, 0}, black_first, "FE"},
        // A 1-bit file listing white first: its set bits are the black dots.
        {"white first, leftmost black", 8, 1, {0x80, 0, 0, 0}, white_first, "01"},
        {"light gray first", 8, 1, {0x80, 0, 0, 0}, {{{200, 200, 200}, {50, 50, 50}}}, "01"},
        {"navy on yellow", 8, 1, {0x80, 0, 0, 0}, {{{0, 0, 128}, {255, 255, 0}}}, "FE"},
        {"both black", 8, 1, {0x5A, 0, 0, 0}, {black, black}, "FF"},
        {"both white", 8, 1, {0x5A, 0, 0, 0}, {white, white}, "00"},
        // Only the low width % 8 bits of a row's last byte may be set.
        {"12 wide", 12, 1, {0x00, 0x0F, 0, 0}, black_first, "FF 0F"},
        {"12 wide, last dot black", 12, 1, {0xFF, 0xE0, 0, 0}, black_first, "00 08"},
        {"384 wide, no masking", 384, 1, std::vector<std::uint8_t>(48), black_first, run("FF", 48)},
        {"top row first", 8, 3, three_rows, black_first, "3F BF 7F"},
        {"fill bytes skipped", 40, 2, filled, black_first, "55 99 11 EE 66 FF 77 BB 33 DD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<std::vector<std::uint8_t>> raster =
            build_logo_raster({c.width, c.height, c.stored, c.colours});
        ASSERT_TRUE(raster.has_value());
        EXPECT_EQ(hex(*raster), c.expected);
    }
}

TEST(LogoRaster, RefusesWhatThePrinterCannotTakeOrTheBitsDoNotHold) {
    struct Case {
        const char* label;
        std::uint32_t width, height;
        std::size_t stored_bytes;
        bool accepted;
    } const cases[] = {
        {"no width", 0, 1, 4, false},
        {"800 x 163: 16300 raster bytes", 800, 163, 100 * 163, true},
        {"800 x 164: 16400 raster bytes", 800, 164, 100 * 164, false},
        {"256 bytes per row", 2041, 1, 256, false},
        {"256 rows", 8, 256, 4 * 256, false},
        {"bits one byte short", 100, 50, 799, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::uint8_t> stored(c.stored_bytes, 0x00);
        const MonoBitmapView logo{c.width, c.height, stored, {black, white}};
        EXPECT_EQ(build_logo_raster(logo).has_value(), c.accepted);
        EXPECT_EQ(build_logo_download(logo, captions).has_value(), c.accepted);
    }
}

TEST(LogoCaption, FormatsOnlyTheNameIntoTheText) {
    EXPECT_EQ(format_logo_caption(captions.format, "Normal 203x203 DPI"),
              "\nPreview LOGO 'Normal 203x203 DPI':\n");
    EXPECT_EQ(format_logo_caption("100%% %d %s, 50%", "50%s"), "100% %d 50%s, 50%");
}

TEST(LogoDownload, WholeSequences) {
    const std::vector<std::uint8_t> black_8x1{0x00, 0xEE, 0xEE, 0xEE};
    // 100 x 50, all black but for dot 7 of the bottom row and dot 0 of the
    // top row; the fill bits of each row's last byte are white.
    std::vector<std::uint8_t> logo_100x50(16 * 50, 0x00);
    for (std::size_t y = 0; y < 50; ++y) {
        logo_100x50[y * 16 + 12] = 0x0F;
    }
    logo_100x50[0] = 0x01;
    logo_100x50[49 * 16] = 0x80;
    const LogoRaster full_area = LogoRaster::blank(384, 247);
    const MonoBitmapView small{8, 1, black_8x1, {black, white}};
    const MonoBitmapView medium{100, 50, logo_100x50, {black, white}};
    struct Case {
        const char* label;
        MonoBitmapView logo;
        std::string expected;
    } const cases[] = {
        {"8 x 1 all black", small, "1D 2A 01 01 FF " + test_print_hex},
        {"100 x 50", medium,
         "1D 2A 0D 32 FE " + run("FF", 11) + " 0F " + run(run("FF", 12) + " 0F", 48) + " 7F " +
             run("FF", 11) + " 0F " + test_print_hex},
        {"384 x 247", full_area.view(), "1D 2A 30 F7 " + run("FF", 11856) + " " + test_print_hex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<std::vector<std::uint8_t>> sequence =
            build_logo_download(c.logo, captions);
        ASSERT_TRUE(sequence.has_value());
        EXPECT_EQ(hex(*sequence), c.expected);
    }
}

} // namespace
} // namespace tq350::logo
