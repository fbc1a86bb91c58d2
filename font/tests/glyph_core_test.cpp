#include "font/glyph_core.h"

#include "font/tests/hex.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tq350::font {
namespace {

using test::hex;
using Dots = std::vector<std::pair<int, int>>;

Glyph glyph_with(int width, int height, const Dots& inked) {
    Glyph glyph(width, height);
    for (auto [x, y] : inked) {
        glyph.toggle(x, y);
    }
    return glyph;
}

// The control of the font editor dialog is 108 x 221 pixels.
TEST(GlyphEditor, CellSizeAndGrid) {
    struct Case {
        const char* label;
        int client_width, client_height, width, height;
        int cell;
        bool storage;
    };
    const Case cases[] = {
        {"font A in the dialog", 108, 221, 12, 24, 9, true},
        {"font B in the dialog", 108, 221, 8, 16, 13, true},
        {"wide client: the height decides", 400, 221, 12, 24, 9, true},
        {"narrower than one pixel per dot", 11, 221, 12, 24, 0, true},
        {"no width", 108, 221, 0, 24, 0, false},
        {"no height", 108, 221, 12, 0, 0, false},
        {"negative width", 108, 221, -12, 24, 0, false},
        {"16-bit words at their largest", 108, 221, 65535, 65535, 0, false},
        {"one dot over the limit", 108, 221, 257, 256, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GlyphEditor editor;
        editor.attach_window(c.client_width, c.client_height);
        editor.set_size(c.width, c.height);
        EXPECT_EQ(editor.cell_size(), c.cell);
        EXPECT_EQ(editor.working().has_storage(), c.storage);
        EXPECT_EQ(preview_dib_bits(editor.working()).empty(), !c.storage);
        EXPECT_EQ(editor.has_grid(), c.cell > 0);
        EXPECT_EQ(editor.fill(), c.cell > 0);
        EXPECT_EQ(editor.is_modified(), c.cell > 0);
    }
}

TEST(GlyphEditor, PressTogglesTheDotUnderThePoint) {
    struct Case {
        const char* label;
        int width, height, x, y;
        std::optional<PixelRect> cell;
    };
    const Case cases[] = {
        {"top left", 12, 24, 0, 0, PixelRect{0, 0, 9, 9}},
        {"last pixel of the grid", 12, 24, 107, 215, PixelRect{99, 207, 108, 216}},
        {"x = cell * width", 12, 24, 108, 0, std::nullopt},
        {"strip below the grid", 12, 24, 0, 216, std::nullopt},
        {"last client row", 12, 24, 0, 220, std::nullopt},
        {"left of the client", 12, 24, -1, 5, std::nullopt},
        {"font B, last cell", 8, 16, 103, 207, PixelRect{91, 195, 104, 208}},
        {"font B, right of the grid", 8, 16, 104, 100, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GlyphEditor editor;
        editor.attach_window(108, 221);
        editor.set_size(c.width, c.height);
        EXPECT_EQ(editor.press(c.x, c.y), c.cell);
        EXPECT_EQ(editor.is_modified(), c.cell.has_value());
        if (c.cell) {
            const int cell = editor.cell_size();
            EXPECT_TRUE(editor.working().dot(c.cell->left / cell, c.cell->top / cell));
        }
    }
}

std::string packed(const Glyph& glyph, std::size_t bytes_per_row) {
    std::vector<std::uint8_t> rows(bytes_per_row * static_cast<std::size_t>(glyph.height()));
    glyph.pack(rows, bytes_per_row, Polarity::ink_is_one);
    return hex(rows);
}

TEST(GlyphEditor, ReferenceGlyph) {
    GlyphEditor editor;
    editor.attach_window(108, 221);
    EXPECT_TRUE(editor.set_size(3, 3));
    EXPECT_FALSE(editor.is_modified());
    editor.press(40, 40);
    EXPECT_TRUE(editor.is_modified());
    editor.press(40, 40);
    EXPECT_FALSE(editor.is_modified()) << "the same dot pressed twice";

    editor.box();
    editor.commit();
    EXPECT_FALSE(editor.is_modified());
    editor.invert();
    EXPECT_TRUE(editor.is_modified());
    editor.revert();
    EXPECT_FALSE(editor.is_modified());
    EXPECT_EQ(packed(editor.working(), 1), "E0 A0 E0");

    EXPECT_FALSE(editor.set_size(3, 3)) << "same size: no erase";
    EXPECT_EQ(packed(editor.working(), 1), "00 00 00");
    EXPECT_EQ(packed(editor.reference(), 1), "00 00 00");

    editor.fill();
    editor.attach_window(108, 221);
    EXPECT_FALSE(editor.revert()) << "a new window has no grid before SDM_SETSIZE";
    EXPECT_FALSE(editor.is_modified());
    EXPECT_EQ(packed(editor.working(), 1), "E0 E0 E0");
}

TEST(Glyph, BoxTogglesTheBorderOnce) {
    struct Case {
        int width, height, toggled;
    };
    const Case cases[] = {{1, 1, 1}, {12, 24, 68}, {8, 16, 44}, {2, 2, 4}, {1, 5, 5}, {3, 3, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Glyph glyph(c.width, c.height);
        glyph.toggle(c.width / 2, c.height / 2);
        const Glyph before = glyph;
        EXPECT_EQ(glyph.toggle_border(), c.toggled);
        glyph.toggle_border();
        EXPECT_EQ(glyph, before);
    }
}

TEST(Glyph, Pack) {
    struct Case {
        const char* label;
        Glyph glyph;
        std::size_t bytes_per_row;
        Polarity polarity;
        const char* expected;
    };
    Glyph full_row(12, 1);
    full_row.fill();
    Glyph boxed(12, 3);
    boxed.toggle_border();
    const Case cases[] = {
        {"dot 0", glyph_with(12, 1, {{0, 0}}), 2, Polarity::ink_is_one, "80 00"},
        {"dot 11 alone", glyph_with(12, 1, {{11, 0}}), 2, Polarity::ink_is_one, "00 10"},
        {"dots 7 and 8", glyph_with(12, 1, {{7, 0}, {8, 0}}), 2, Polarity::ink_is_one, "01 80"},
        {"full 12-dot row", full_row, 2, Polarity::ink_is_one, "FF F0"},
        {"full row inverted", full_row, 2, Polarity::blank_is_one, "00 00"},
        {"blank row inverted", Glyph(12, 1), 2, Polarity::blank_is_one, "FF F0"},
        {"8 dots, last dot", glyph_with(8, 2, {{7, 1}}), 1, Polarity::ink_is_one, "00 01"},
        {"box", boxed, 2, Polarity::ink_is_one, "FF F0 80 10 FF F0"},
        {"3 dots", glyph_with(3, 1, {{0, 0}, {2, 0}}), 1, Polarity::ink_is_one, "A0"},
        {"pad bytes left alone", glyph_with(12, 2, {{11, 0}, {0, 1}}), 4, Polarity::ink_is_one,
         "00 10 AA AA 80 00 AA AA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::uint8_t> rows(c.bytes_per_row * static_cast<std::size_t>(c.glyph.height()),
                                       0xAA);
        ASSERT_TRUE(c.glyph.pack(rows, c.bytes_per_row, c.polarity));
        EXPECT_EQ(hex(rows), c.expected);
    }
}

TEST(Glyph, UnpackReadsOnlyTheDotsOfARow) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> rows;
        Polarity polarity;
        const char* repacked;
    };
    const Case cases[] = {
        {"dot 11", {0x00, 0x10}, Polarity::ink_is_one, "00 10"},
        {"bits beyond dot 11 dropped", {0x80, 0x1F}, Polarity::ink_is_one, "80 10"},
        {"inverted polarity", {0x7F, 0xEF}, Polarity::blank_is_one, "80 10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Glyph glyph(12, 1);
        glyph.fill();
        ASSERT_TRUE(glyph.unpack(c.rows, 2, c.polarity));
        EXPECT_EQ(packed(glyph, 2), c.repacked);
    }
}

// Rows that overlap or a buffer too short would read or write out of bounds.
TEST(Glyph, RefusesRowsThatDoNotFit) {
    struct Case {
        const char* label;
        std::size_t buffer_size, bytes_per_row;
    };
    const Case cases[] = {
        {"pitch of 0", 48, 0},
        {"pitch narrower than a row", 48, 1},
        {"one row short", 46, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Glyph glyph(12, 24);
        glyph.fill();
        std::vector<std::uint8_t> rows(c.buffer_size, 0x00);
        EXPECT_FALSE(glyph.pack(rows, c.bytes_per_row, Polarity::ink_is_one));
        EXPECT_FALSE(glyph.unpack(rows, c.bytes_per_row, Polarity::ink_is_one));
        EXPECT_EQ(packed(glyph, 2).substr(0, 5), "FF F0");
    }
}

TEST(Glyph, PreviewBits) {
    struct Case {
        const char* label;
        Glyph glyph;
        const char* first_row;
        const char* last_row;
    };
    const Case cases[] = {
        {"blank font B", Glyph(8, 16), "FF 00 00 00", "FF 00 00 00"},
        {"font A, corners of the top row", glyph_with(12, 24, {{0, 0}, {11, 0}}), "7F E0 00 00",
         "FF F0 00 00"},
        {"33 dots wide", glyph_with(33, 2, {{32, 1}}), "FF FF FF FF 80 00 00 00",
         "FF FF FF FF 00 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::uint8_t> bits = preview_dib_bits(c.glyph);
        const std::size_t pitch = dib_row_pitch(c.glyph.width());
        ASSERT_EQ(bits.size(), pitch * static_cast<std::size_t>(c.glyph.height()));
        EXPECT_EQ(hex(std::span(bits).first(pitch)), c.first_row);
        EXPECT_EQ(hex(std::span(bits).last(pitch)), c.last_row);
    }
}

} // namespace
} // namespace tq350::font
