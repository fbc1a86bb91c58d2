// Fonts that cannot be used. How the installed ones map into the code page shows on the golden
// pages, which print every code in both fonts.

#include "console_font.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tq350::sim {
namespace {

using namespace test;

TEST(ConsoleFont, SaysWhyAFontCannotBeUsed) {
    // A PSF 2 header for two 12 x 24 glyphs of 48 bytes, and only 68 bytes after it.
    const Bytes psf2_cut = hex("72 B5 4A 86 00 00 00 00 20 00 00 00 01 00 00 00"
                               "02 00 00 00 30 00 00 00 18 00 00 00 0C 00 00 00") +
                           repeat(0x80, 68);
    const ScratchDir dir;
    std::ofstream(dir / "f.psf", std::ios::binary)
        .write(reinterpret_cast<const char*>(psf2_cut.data()),
               static_cast<std::streamsize>(psf2_cut.size()));
    GlyphSet font;
    std::string error;
    EXPECT_FALSE(load_console_font(dir / "f.psf", 12, 24, font, error));
    EXPECT_NE(error.find("the glyphs run past the end of the file"), std::string::npos) << error;
    ResidentFonts fonts;
    EXPECT_FALSE(load_resident_fonts(dir.path(), fonts, error));
    EXPECT_NE(error.find("console-setup-linux"), std::string::npos) << error;
}

} // namespace
} // namespace tq350::sim
