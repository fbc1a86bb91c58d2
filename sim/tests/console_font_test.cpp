#include "console_font.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <zlib.h>

namespace tq350::sim {
namespace {

using test::Bytes;
using test::hex;
using test::operator+;
using test::repeat;

class ConsoleFont : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tq350-font-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::string write_gzip(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_ + "/" + name;
        gzFile out = gzopen(path.c_str(), "wb");
        gzwrite(out, bytes.data(), static_cast<unsigned>(bytes.size()));
        gzclose(out);
        return path;
    }

    std::string dir_;
};

// A PSF 2 font of two 12 x 24 glyphs: glyph 0, the left column, is only the sequence B and a
// combining acute, and A; glyph 1, all dots, is the light shade and the replacement character.
const Bytes left_column = [] {
    Bytes rows;
    for (int y = 0; y < 24; ++y)
        rows = rows + hex("80 00");
    return rows;
}();
const Bytes all_dots = [] {
    Bytes rows;
    for (int y = 0; y < 24; ++y)
        rows = rows + hex("FF F0");
    return rows;
}();
const Bytes psf2_font = hex("72 B5 4A 86 00 00 00 00 20 00 00 00 01 00 00 00"
                            "02 00 00 00 30 00 00 00 18 00 00 00 0C 00 00 00") +
                        left_column + all_dots +
                        hex("41 FE 42 CC 81 FF"
                            "E2 96 91 EF BF BD FF");

TEST_F(ConsoleFont, MapsThePrintersCodePageThroughTheUnicodeTable) {
    struct Case {
        const char* name;
        std::uint8_t code;
        const Bytes& rows;
    };
    const Case cases[] = {
        {"A", 'A', left_column},
        {"0xB0 is the light shade in code page 437", 0xB0, all_dots},
        {"B only starts a sequence: the replacement glyph", 'B', all_dots},
        {"a character the font lacks: the replacement glyph", 'C', all_dots},
    };
    for (const bool gzipped : {false, true}) {
        const std::string path =
            gzipped ? write_gzip("f.psf.gz", psf2_font) : write("f.psf", psf2_font);
        GlyphSet font;
        std::string error;
        ASSERT_TRUE(load_console_font(path, 12, 24, font, error)) << error;
        EXPECT_EQ(font.width, 12);
        EXPECT_EQ(font.height, 24);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (gzipped ? ", gzipped" : ""));
            EXPECT_EQ(font.glyphs[c.code], c.rows);
        }
    }
}

TEST_F(ConsoleFont, ReadsPsf1FontsWithAndWithoutTable) {
    // 256 glyphs of 8 x 16 dots, each row of glyph i holding the byte i.
    Bytes glyphs;
    for (int i = 0; i < 256; ++i)
        glyphs = glyphs + repeat(static_cast<std::uint8_t>(i), 16);
    // The table gives glyph 1 the letter A and glyph 2 the light shade; every other glyph
    // nothing.
    Bytes table = hex("FF FF 41 00 FF FF 91 25 FF FF");
    for (int i = 3; i < 256; ++i)
        table = table + hex("FF FF");
    struct Case {
        const char* name;
        Bytes file;
        std::uint8_t code;
        Bytes rows; // empty: no glyph
    };
    const Case cases[] = {
        {"no table: glyphs in code page order", hex("36 04 00 10") + glyphs, 'A', repeat(0x41, 16)},
        {"no table: 0xB0", hex("36 04 00 10") + glyphs, 0xB0, repeat(0xB0, 16)},
        {"table: A", hex("36 04 02 10") + glyphs + table, 'A', repeat(0x01, 16)},
        {"table: the light shade", hex("36 04 02 10") + glyphs + table, 0xB0, repeat(0x02, 16)},
        {"table without the letter, no replacement glyph",
         hex("36 04 02 10") + glyphs + table,
         'B',
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlyphSet font;
        std::string error;
        ASSERT_TRUE(load_console_font(write("f.psf", c.file), 8, 16, font, error)) << error;
        EXPECT_EQ(font.glyphs[c.code], c.rows);
    }
}

TEST_F(ConsoleFont, SaysWhyAFontCannotBeUsed) {
    struct Case {
        const char* name;
        Bytes file; // empty: no file at all
        const char* message;
    };
    const Case cases[] = {
        {"no file", {}, "cannot read"},
        {"not a font", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a PSF console font"},
        {"8 x 16 where 12 x 24 is needed", hex("36 04 00 10") + repeat(0, 4096),
         "has glyphs of 8 x 16 dots, not 12 x 24"},
        {"cut short", Bytes(psf2_font.begin(), psf2_font.begin() + 100),
         "the glyphs run past the end of the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.file.empty() ? dir_ + "/missing.psf" : write("f.psf", c.file);
        GlyphSet font;
        std::string error;
        EXPECT_FALSE(load_console_font(path, 12, 24, font, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    ResidentFonts fonts;
    std::string error;
    EXPECT_FALSE(load_resident_fonts(dir_, fonts, error));
    EXPECT_NE(error.find("console-setup-linux"), std::string::npos) << error;
}

// Debian's console-setup-linux puts the fonts there; the letter A and the light shade of
// code 0xB0 come out as the VGA font draws them.
TEST_F(ConsoleFont, LoadsTheInstalledResidentFonts) {
    if (!std::filesystem::exists(std::string(console_font_dir) + "/" + font_b_file))
        GTEST_SKIP() << "console-setup-linux is not installed";
    ResidentFonts fonts;
    std::string error;
    ASSERT_TRUE(load_resident_fonts(console_font_dir, fonts, error)) << error;
    EXPECT_EQ(fonts.a.width, 12);
    EXPECT_EQ(fonts.a.height, 24);
    EXPECT_EQ(fonts.b.glyphs['A'], hex("00 00 10 38 6C C6 C6 FE C6 C6 C6 C6 00 00 00 00"));
    EXPECT_EQ(fonts.b.glyphs[0xB0], hex("11 44 11 44 11 44 11 44 11 44 11 44 11 44 11 44"));
    for (int code = 0x20; code <= 0xFF; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(fonts.a.glyphs[static_cast<std::size_t>(code)].size(), 48u);
        EXPECT_EQ(fonts.b.glyphs[static_cast<std::size_t>(code)].size(), 16u);
    }
}

} // namespace
} // namespace tq350::sim
