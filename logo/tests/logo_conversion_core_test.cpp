#include "logo/logo_conversion_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::logo {
namespace {

using ::tq350::test::hex;
using ::tq350::test::run;
using Rows = std::vector<std::vector<std::uint8_t>>;

// Stored rows, bottom row first; the fill bytes hold 0xEE so that a pass
// which reads or writes them shows.
GraySurface gray_rows(std::uint32_t width, const Rows& rows) {
    GraySurface gray = GraySurface::blank(width, static_cast<std::uint32_t>(rows.size()));
    std::fill(gray.bytes.begin(), gray.bytes.end(), 0xEE);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        std::copy(rows[y].begin(), rows[y].end(), gray.bytes.begin() + y * gray.stride());
    }
    return gray;
}

// Stored rows with their fill bytes, split by " / ".
template <class Surface> std::string rows_hex(const Surface& surface) {
    std::string text;
    for (std::size_t offset = 0; offset < surface.bytes.size(); offset += surface.stride()) {
        text += (offset == 0 ? "" : " / ") +
                hex(std::span(surface.bytes).subspan(offset, surface.stride()));
    }
    return text;
}

std::string size_text(Size size) {
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

TEST(FitIntoLogoArea, KeepsTheAspectRatioAndNeverEnlarges) {
    struct Case {
        Size picture, expected;
    } const cases[] = {
        {{1000, 500}, {384, 192}}, {{400, 300}, {329, 247}}, {{200, 100}, {200, 100}},
        {{384, 247}, {384, 247}},  {{385, 247}, {384, 246}}, {{384, 248}, {382, 247}},
        {{768, 3}, {384, 2}},      {{768, 1}, {384, 1}},     {{500, 1000}, {124, 247}},
        {{10000, 1}, {384, 0}},    {{1, 1000}, {0, 247}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(size_text(c.picture));
        EXPECT_EQ(size_text(fit_into_logo_area(c.picture.width, c.picture.height)),
                  size_text(c.expected));
    }
}

TEST(StretchToGray, NearestPixelsAndRoundedMeanOfRedGreenBlue) {
    ColourSurface two = ColourSurface::blank(2, 1); // blue, green, red: red, then almost white
    two.bytes = {0x00, 0x00, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0};
    ColourSurface four = ColourSurface::blank(4, 1); // grays 10, 20, 30, 40
    four.bytes = {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40};
    ColourSurface column = ColourSurface::blank(1, 3); // grays 10, 20, 30 from the bottom
    column.bytes = {10, 10, 10, 0, 20, 20, 20, 0, 30, 30, 30, 0};
    struct Case {
        const char* label;
        const ColourSurface& source;
        Size target;
        const char* expected;
    } const cases[] = {
        {"doubled", two, {4, 2}, "55 55 FF FF / 55 55 FF FF"},
        {"halved", four, {2, 1}, "14 28 00 00"},
        {"3 rows to 2", column, {1, 2}, "0A 00 00 00 / 1E 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<GraySurface> gray = stretch_to_gray(c.source, c.target);
        ASSERT_TRUE(gray.has_value());
        EXPECT_EQ(rows_hex(*gray), c.expected);
    }
}

TEST(MeanGrayThreshold, TruncatedMeanOfThePixelsButAtLeastOne) {
    struct Case {
        const char* label;
        std::uint32_t width;
        Rows rows;
        int expected;
    } const cases[] = {
        {"four 128s", 4, {{128, 128, 128, 128}}, 128},
        {"100, 200, 50, 250", 2, {{100, 200}, {50, 250}}, 150},
        {"black and white truncates", 2, {{0, 255}}, 127},
        // The fill bytes (0xEE) must not count, or the mean would not be 0.
        {"all black", 3, {{0, 0, 0}, {0, 0, 0}}, 1},
        {"mean below 1", 4, {{0, 0, 0, 3}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(mean_gray_threshold(gray_histogram(gray_rows(c.width, c.rows))), c.expected);
    }
    GrayHistogram billions{};
    billions[200] = billions[100] = std::uint64_t{1} << 40;
    EXPECT_EQ(mean_gray_threshold(billions), 150);
}

TEST(DiffuseErrors, ResultsOfKnownPictures) {
    struct Case {
        const char* label;
        std::uint32_t width;
        Rows rows;
        const char* expected;
    } const cases[] = {
        // 128 reaches T = 128 and gives 56 to its neighbour, which drops to 72 ...
        {"one row of four 128s", 4, {{128, 128, 128, 128}}, "FF 00 FF 00"},
        // The first pixel pushes the one above-right to 256, clamped to 255
        // before the second pixel takes 4 off it.
        {"2 x 2", 2, {{100, 200}, {50, 250}}, "00 FF EE EE / 00 FF EE EE"},
        {"almost black keeps its one light pixel", 4, {{0, 0, 0, 3}}, "00 00 00 FF"},
        // The second pixel drops below T only with the error from below it.
        {"one column", 1, {{200}, {150}, {60}}, "FF EE EE EE / 00 EE EE EE / 00 EE EE EE"},
        // Each portion is rounded on its own: one of them a dot off, with
        // +7 or +9 for +8, turns a pixel in at least one of these.
        {"rounding 3 x 2", 3, {{167, 216, 156}, {44, 145, 106}}, "FF FF 00 EE / 00 00 FF EE"},
        {"rounding 4 x 2",
         4,
         {{87, 71, 135, 143}, {170, 59, 123, 98}},
         "00 00 FF FF / FF 00 00 00"},
        {"rounding 2 x 2", 2, {{80, 177}, {138, 201}}, "00 FF EE EE / FF FF EE EE"},
        // T = 114. Cells of the next row overshoot 0 or 255 mid-row and must
        // stop there before the following portion, of the other sign, arrives.
        {"5 x 3 clamping between portions",
         5,
         {{5, 252, 182, 106, 124}, {33, 5, 3, 3, 134}, {255, 255, 71, 44, 250}},
         "00 FF FF 00 FF EE EE EE / 00 00 00 00 FF EE EE EE / FF FF 00 00 FF EE EE EE"},
        // T = 118; wide and high enough for rows to be worked on in pairs.
        {"12 x 6 with extremes",
         12,
         {{67, 78, 255, 140, 49, 0, 15, 0, 15, 30, 40, 60},
          {244, 42, 250, 66, 225, 253, 90, 240, 23, 58, 242, 90},
          {200, 0, 30, 60, 250, 60, 15, 5, 84, 149, 202, 199},
          {141, 86, 15, 5, 250, 179, 194, 240, 110, 82, 54, 0},
          {170, 211, 0, 5, 5, 126, 227, 124, 107, 255, 203, 200},
          {240, 200, 0, 183, 135, 200, 110, 60, 140, 147, 90, 242}},
         "00 00 FF FF 00 00 00 00 00 00 00 00 / FF 00 FF 00 FF FF 00 FF 00 00 FF FF / "
         "FF 00 00 00 FF 00 00 00 FF FF FF 00 / FF 00 00 00 FF FF FF FF 00 00 00 00 / "
         "FF FF 00 00 00 00 FF 00 FF FF FF FF / FF FF 00 FF FF FF 00 FF 00 FF 00 FF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GraySurface gray = gray_rows(c.width, c.rows);
        ASSERT_TRUE(diffuse_errors(gray));
        EXPECT_EQ(rows_hex(gray), c.expected);
    }
}

TEST(PackLogo, NonzeroIsAWhiteBitLeftmostInBit7FillBitsClear) {
    struct Case {
        std::uint32_t width;
        Rows rows;
        const char* expected;
    } const cases[] = {
        {1, {{7}}, "80 00 00 00"},
        {9, {{0, 255, 0, 255, 0, 255, 0, 255, 255}}, "55 80 00 00"},
        {13,
         {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200}},
         "FF F8 00 00 / 80 08 00 00"},
        {33, {std::vector<std::uint8_t>(33, 0xFF)}, "FF FF FF FF 80 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const std::optional<LogoRaster> logo = pack_logo(gray_rows(c.width, c.rows));
        ASSERT_TRUE(logo.has_value());
        EXPECT_EQ(rows_hex(*logo), c.expected);
    }
}

TEST(ConvertToLogo, ColourPictureToLogo) {
    // Grays 90, 160, 30 and above them 200, 10, 120; T = 101.
    ColourSurface picture = ColourSurface::blank(3, 2);
    picture.bytes = {90,  90,  90,  160, 160, 160, 30,  30,  30,  0, 0, 0,
                     200, 200, 200, 10,  10,  10,  120, 120, 120, 0, 0, 0};
    const std::optional<LogoRaster> logo = convert_to_logo(picture, {3, 2});
    ASSERT_TRUE(logo.has_value());
    EXPECT_EQ(rows_hex(*logo), "40 00 00 00 / A0 00 00 00");
}

TEST(LogoConversion, RefusesWhatItCannotMakeWithoutTouchingIt) {
    GraySurface short_gray = gray_rows(3, {{10, 200, 30}, {40, 50, 60}});
    short_gray.bytes.pop_back();
    ColourSurface short_colour = ColourSurface::blank(3, 2);
    short_colour.bytes.pop_back();
    const std::vector<std::uint8_t> seven_bytes(7, 0x00);
    EXPECT_FALSE(diffuse_errors(short_gray));
    EXPECT_EQ(hex(short_gray.bytes), "0A C8 1E EE 28 32 3C");
    EXPECT_FALSE(pack_logo(short_gray).has_value());
    EXPECT_FALSE(stretch_to_gray(short_colour, {3, 2}).has_value());
    EXPECT_FALSE(stretch_to_gray(ColourSurface::blank(3, 2), {100000, 100000}).has_value());
    EXPECT_FALSE(centre_logo({3, 2, seven_bytes, {black, white}}, true, true).has_value());
    // 10000 x 1 fits to 384 x 0: nothing to convert.
    const Size thin = fit_into_logo_area(10000, 1);
    EXPECT_FALSE(convert_to_logo(ColourSurface::blank(10000, 1), thin).has_value());
}

TEST(CentringMargins, OnTheLeftAndTopOnly) {
    struct Case {
        Size logo;
        bool horizontal, vertical;
        CentringMargins expected;
    } const cases[] = {
        {{100, 50}, true, true, {142, 98, {242, 148}}},
        {{100, 50}, true, false, {142, 0, {242, 50}}},
        {{100, 50}, false, true, {0, 98, {100, 148}}},
        {{383, 246}, true, true, {0, 0, {383, 246}}},
        {{382, 245}, true, true, {1, 1, {383, 246}}},
        {{400, 300}, true, true, {0, 0, {400, 300}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(size_text(c.logo) + (c.horizontal ? " h" : "") + (c.vertical ? " v" : ""));
        const CentringMargins margins = centring_margins(c.logo, c.horizontal, c.vertical);
        EXPECT_EQ(margins.dx, c.expected.dx);
        EXPECT_EQ(margins.dy, c.expected.dy);
        EXPECT_EQ(size_text(margins.canvas), size_text(c.expected.canvas));
    }
}

TEST(CentreLogo, WhiteMarginsAndTheLogosOwnColourTable) {
    // 3 x 2: bottom row black, white, black; top row white, black, white.
    const std::vector<std::uint8_t> black_first{0x40, 0, 0, 0, 0xA0, 0, 0, 0};
    const std::vector<std::uint8_t> white_first{0xA0, 0, 0, 0, 0x40, 0, 0, 0};
    const std::vector<std::uint8_t> black_dot{0x00, 0, 0, 0};
    // dx = 190: dots 190 and 191 end byte 23, dot 192 opens byte 24.
    const std::string shifted = run("FF", 23) + " FD 00 00 00 00 / " + run("FF", 23) + " FE 80";
    const std::string white_rows = run(run("FF", 24) + " 80 00 00 00", 122, " / ");
    const MonoBitmapView bf{3, 2, black_first, {black, white}};
    const MonoBitmapView wf{3, 2, white_first, {white, black}};
    const MonoBitmapView dot{1, 1, black_dot, {black, white}};
    struct Case {
        const char* label;
        MonoBitmapView logo;
        bool horizontal, vertical;
        std::string expected;
    } const cases[] = {
        {"horizontal", bf, true, false, shifted + " 00 00 00"},
        {"both, white first", wf, true, true, shifted + " 00 00 00 / " + white_rows},
        {"vertical", dot, false, true, "00 00 00 00 / " + run("80 00 00 00", 123, " / ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<LogoRaster> canvas = centre_logo(c.logo, c.horizontal, c.vertical);
        ASSERT_TRUE(canvas.has_value());
        EXPECT_EQ(rows_hex(*canvas), c.expected);
    }
}

} // namespace
} // namespace tq350::logo
