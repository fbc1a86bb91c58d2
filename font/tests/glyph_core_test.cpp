#include "font/glyph_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tq350::font {
namespace {

using ::tq350::test::hex;

Glyph glyph_with(int width, int height, const std::vector<std::pair<int, int>>& inked) {
    Glyph glyph(width, height);
    for (auto [x, y] : inked)
        glyph.toggle(x, y);
    return glyph;
}

std::string packed(const Glyph& glyph, std::size_t pitch, std::uint8_t pad = 0xAA,
                   Polarity polarity = Polarity::ink_is_one) {
    std::vector<std::uint8_t> rows(pitch * static_cast<std::size_t>(glyph.height()), pad);
    return glyph.pack(rows, pitch, polarity) ? hex(rows) : "refused";
}

// The control of the font editor dialog is 108 x 221 pixels. A press toggles the
// dot under it; there is no grid, and so no edit, without a pixel for each dot.
TEST(GlyphEditor, GridAndPresses) {
    struct Case {
        const char* label;
        int client_width, width, height, cell, x, y;
        std::optional<PixelRect> pressed;
        bool storage = true;
    };
    const Case cases[] = {
        {"font A, top left", 108, 12, 24, 9, 0, 0, PixelRect{0, 0, 9, 9}},
        {"font A, last pixel of the grid", 108, 12, 24, 9, 107, 215, PixelRect{99, 207, 108, 216}},
        {"font A, x = cell * width", 108, 12, 24, 9, 108, 0, std::nullopt},
        {"font A, strip below the grid", 108, 12, 24, 9, 0, 216, std::nullopt},
        {"font B, second row", 108, 8, 16, 13, 12, 13, PixelRect{0, 13, 13, 26}},
        {"font B, right of the grid", 108, 8, 16, 13, 104, 100, std::nullopt},
        {"wide client: the height decides", 400, 12, 24, 9, 0, 0, PixelRect{0, 0, 9, 9}},
        {"narrower than one pixel per dot", 11, 12, 24, 0, 0, 0, std::nullopt},
        {"no width", 108, 0, 24, 0, 0, 0, std::nullopt, false},
        {"negative width", 108, -12, 24, 0, 0, 0, std::nullopt, false},
        {"16-bit words at their largest", 108, 65535, 65535, 0, 0, 0, std::nullopt, false},
        {"one dot over the limit", 108, 257, 256, 0, 0, 0, std::nullopt, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GlyphEditor editor;
        editor.attach_window(c.client_width, 221);
        editor.set_size(c.width, c.height);
        EXPECT_EQ(editor.cell_size(), c.cell);
        EXPECT_EQ(editor.working().has_storage(), c.storage);
        EXPECT_EQ(editor.press(c.x, c.y), c.pressed);
        EXPECT_EQ(editor.is_modified(), c.pressed.has_value());
        if (c.pressed) {
            EXPECT_TRUE(editor.working().dot(c.pressed->left / c.cell, c.pressed->top / c.cell));
        }
        EXPECT_EQ(editor.fill(), c.cell > 0) << "edits only with a grid";
    }
}

// Dot x of a row is bit 7 - x % 8 of byte x / 8; bytes beyond a row up to the
// pitch are left alone. Unpacking the packed rows gives the glyph back.
TEST(Glyph, PackAndUnpack) {
    const auto box = [](int width, int height) {
        Glyph glyph(width, height);
        glyph.toggle_border();
        return glyph;
    };
    const Glyph boxed = box(12, 3);
    Glyph full_row(12, 1);
    full_row.fill();
    struct Case {
        const char* label;
        Glyph glyph;
        std::size_t pitch;
        Polarity polarity;
        const char* rows;
    };
    const Case cases[] = {
        {"dot 11 alone", glyph_with(12, 1, {{11, 0}}), 2, Polarity::ink_is_one, "00 10"},
        {"full row inverted", full_row, 2, Polarity::blank_is_one, "00 00"},
        {"dot 11 inverted", glyph_with(12, 1, {{11, 0}}), 2, Polarity::blank_is_one, "FF E0"},
        {"8 dots, last dot", glyph_with(8, 2, {{7, 1}}), 1, Polarity::ink_is_one, "00 01"},
        {"box", boxed, 2, Polarity::ink_is_one, "FF F0 80 10 FF F0"},
        {"box of one dot", box(1, 1), 1, Polarity::ink_is_one, "80"},
        {"pad bytes left alone", glyph_with(12, 2, {{11, 0}, {0, 1}}), 3, Polarity::ink_is_one,
         "00 10 AA 80 00 AA"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(packed(c.glyph, c.pitch, 0xAA, c.polarity), c.rows);
        std::vector<std::uint8_t> rows(c.pitch * static_cast<std::size_t>(c.glyph.height()));
        c.glyph.pack(rows, c.pitch, c.polarity);
        Glyph back(c.glyph.width(), c.glyph.height());
        ASSERT_TRUE(back.unpack(rows, c.pitch, c.polarity));
        EXPECT_EQ(back, c.glyph);
    }
    Glyph row(12, 1);
    ASSERT_TRUE(row.unpack(std::vector<std::uint8_t>{0x80, 0x1F}, 2, Polarity::ink_is_one));
    EXPECT_EQ(packed(row, 2), "80 10") << "bits beyond dot 11 are no dots";
}

// Rows that overlap or a buffer too short would read or write out of bounds.
TEST(Glyph, RefusesRowsThatDoNotFit) {
    const std::pair<std::size_t, std::size_t> cases[] = {{48, 0}, {48, 1}, {46, 2}};
    for (const auto& [size, pitch] : cases) {
        SCOPED_TRACE(testing::Message() << size << " bytes at a pitch of " << pitch);
        Glyph glyph(12, 24);
        glyph.fill();
        std::vector<std::uint8_t> rows(size, 0x00);
        EXPECT_FALSE(glyph.pack(rows, pitch, Polarity::ink_is_one));
        EXPECT_FALSE(glyph.unpack(rows, pitch, Polarity::ink_is_one));
        EXPECT_EQ(packed(glyph, 2).substr(0, 5), "FF F0");
    }
}

} // namespace
} // namespace tq350::font
