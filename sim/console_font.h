// The printer's resident fonts, taken from Linux console fonts (PSF) that Debian installs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tq350::sim {

// Font A is 12 x 24 dots, font B 8 x 16, resident and downloaded alike.
inline constexpr int font_a_width = 12;
inline constexpr int font_a_height = 24;
inline constexpr int font_b_width = 8;
inline constexpr int font_b_height = 16;

// A character table: for each code its glyph rows, top row first, (width + 7) / 8 bytes a row
// with the leftmost dot in bit 7 of the first byte. An empty entry is a code without a glyph.
struct GlyphSet {
    int width = 0;
    int height = 0;
    std::array<std::vector<std::uint8_t>, 256> glyphs;
};

struct ResidentFonts {
    GlyphSet a;
    GlyphSet b;
};

// Where Debian's console-setup-linux puts its fonts, and the two the printer uses.
inline constexpr const char* console_font_dir = "/usr/share/consolefonts";
inline constexpr const char* font_a_file = "Uni2-TerminusBold24x12.psf.gz";
inline constexpr const char* font_b_file = "Uni2-VGA16.psf.gz";

// The Unicode character the printer's code page (437) shows for a code from 32 up.
char32_t code_page_437(std::uint8_t code);

// Reads a PSF 1 or 2 font, gzip-compressed or not, into the codes 32-255 of the printer's code
// page. A code whose character the font lacks gets the font's replacement glyph, if it has one.
// Returns false with a message when the file cannot be read, is not a PSF font or its glyphs
// are not `width` x `height` dots.
bool load_console_font(const std::string& path, int width, int height, GlyphSet& font,
                       std::string& error);

// Both resident fonts from `dir` (font_a_file and font_b_file).
bool load_resident_fonts(const std::string& dir, ResidentFonts& fonts, std::string& error);

} // namespace tq350::sim
