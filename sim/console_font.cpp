#include "console_font.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <zlib.h>

namespace tq350::sim {
namespace {

// Codes 128-255 of code page 437, the table receipt printers start with.
constexpr char16_t upper_437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr char32_t replacement_character = 0xFFFD;

constexpr std::uint8_t psf1_magic[] = {0x36, 0x04};
constexpr std::uint8_t psf2_magic[] = {0x72, 0xB5, 0x4A, 0x86};
constexpr int psf1_512_glyphs = 0x01;
constexpr int psf1_has_table = 0x06;
constexpr std::uint32_t psf2_has_table = 0x01;

// A console font as the file has it: glyphs by index and which characters each one shows.
struct PsfFont {
    int width = 0;
    int height = 0;
    std::size_t glyph_bytes = 0;
    std::vector<std::uint8_t> glyphs; // glyph_bytes per glyph
    std::size_t count = 0;
    std::map<char32_t, std::size_t> index_of; // empty: glyph i shows character i
};

bool read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    // gzread passes plain files through, so a font unpacked by hand loads as well.
    gzFile in = gzopen(path.c_str(), "rb");
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno ? errno : ENOENT);
        return false;
    }
    std::uint8_t buffer[16384];
    int n = 0;
    while ((n = gzread(in, buffer, sizeof buffer)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    int code = Z_OK;
    const std::string message = n < 0 ? gzerror(in, &code) : "";
    gzclose(in);
    if (n < 0) {
        error = "cannot read " + path + ": " + message;
        return false;
    }
    return true;
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// PSF 1 tables: 16-bit characters per glyph; 0xFFFE starts sequences, 0xFFFF ends the glyph.
void read_psf1_table(const std::vector<std::uint8_t>& b, std::size_t at, PsfFont& font) {
    std::size_t glyph = 0;
    bool in_sequence = false;
    for (; at + 1 < b.size() && glyph < font.count; at += 2) {
        const char32_t c = b[at] | b[at + 1] << 8;
        if (c == 0xFFFF) {
            ++glyph;
            in_sequence = false;
        } else if (c == 0xFFFE) {
            in_sequence = true;
        } else if (!in_sequence) {
            font.index_of.emplace(c, glyph);
        }
    }
}

// PSF 2 tables: UTF-8 characters per glyph; 0xFE starts sequences, 0xFF ends the glyph.
void read_psf2_table(const std::vector<std::uint8_t>& b, std::size_t at, PsfFont& font) {
    std::size_t glyph = 0;
    bool in_sequence = false;
    while (at < b.size() && glyph < font.count) {
        const std::uint8_t lead = b[at];
        if (lead == 0xFF) {
            ++glyph;
            in_sequence = false;
            ++at;
            continue;
        }
        if (lead == 0xFE) {
            in_sequence = true;
            ++at;
            continue;
        }
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t c = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra && at + k < b.size(); ++k)
            c = c << 6 | (b[at + k] & 0x3F);
        at += 1 + extra;
        if (!in_sequence)
            font.index_of.emplace(c, glyph);
    }
}

bool parse_psf(const std::vector<std::uint8_t>& b, PsfFont& font, std::string& error) {
    std::size_t glyphs_at = 0;
    bool has_table = false;
    if (b.size() >= 4 && b[0] == psf1_magic[0] && b[1] == psf1_magic[1]) {
        font.count = b[2] & psf1_512_glyphs ? 512 : 256;
        font.width = 8;
        font.height = b[3];
        font.glyph_bytes = b[3];
        glyphs_at = 4;
        has_table = b[2] & psf1_has_table;
    } else if (b.size() >= 32 && std::memcmp(b.data(), psf2_magic, 4) == 0) {
        glyphs_at = le32(b, 8);
        has_table = le32(b, 12) & psf2_has_table;
        font.count = le32(b, 16);
        font.glyph_bytes = le32(b, 20);
        font.height = static_cast<int>(le32(b, 24));
        font.width = static_cast<int>(le32(b, 28));
        if (font.width <= 0 || font.height <= 0 ||
            font.glyph_bytes != static_cast<std::size_t>((font.width + 7) / 8 * font.height)) {
            error = "a PSF 2 header that does not add up";
            return false;
        }
    } else {
        error = "not a PSF console font";
        return false;
    }
    const std::size_t glyphs_end = glyphs_at + font.count * font.glyph_bytes;
    if (glyphs_end > b.size() || glyphs_end < glyphs_at) {
        error = "the glyphs run past the end of the file";
        return false;
    }
    font.glyphs.assign(b.begin() + static_cast<std::ptrdiff_t>(glyphs_at),
                       b.begin() + static_cast<std::ptrdiff_t>(glyphs_end));
    if (has_table) {
        if (b[0] == psf1_magic[0])
            read_psf1_table(b, glyphs_end, font);
        else
            read_psf2_table(b, glyphs_end, font);
    }
    return true;
}

// A font without a Unicode table is in the order of the PC's code page, the printer's own.
std::optional<std::size_t> glyph_index(const PsfFont& font, std::uint8_t code, char32_t c) {
    if (font.index_of.empty())
        return code < font.count ? std::optional<std::size_t>(code) : std::nullopt;
    const auto hit = font.index_of.find(c);
    if (hit == font.index_of.end())
        return std::nullopt;
    return hit->second;
}

} // namespace

char32_t code_page_437(std::uint8_t code) {
    if (code >= 0x80)
        return upper_437[code - 0x80];
    if (code == 0x7F)
        return 0x2302; // the house, where ASCII has DEL
    return code;
}

bool load_console_font(const std::string& path, int width, int height, GlyphSet& out,
                       std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!read_file(path, bytes, error))
        return false;
    PsfFont font;
    if (!parse_psf(bytes, font, error)) {
        error = path + ": " + error;
        return false;
    }
    if (font.width != width || font.height != height) {
        error = path + " has glyphs of " + std::to_string(font.width) + " x " +
                std::to_string(font.height) + " dots, not " + std::to_string(width) + " x " +
                std::to_string(height);
        return false;
    }
    const std::optional<std::size_t> fallback =
        font.index_of.empty() ? std::nullopt : glyph_index(font, 0, replacement_character);
    GlyphSet set;
    set.width = width;
    set.height = height;
    for (int code = 0x20; code <= 0xFF; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        std::optional<std::size_t> index = glyph_index(font, byte, code_page_437(byte));
        if (!index)
            index = fallback;
        if (!index)
            continue;
        const auto from =
            font.glyphs.begin() + static_cast<std::ptrdiff_t>(*index * font.glyph_bytes);
        set.glyphs[static_cast<std::size_t>(code)].assign(
            from, from + static_cast<std::ptrdiff_t>(font.glyph_bytes));
    }
    out = std::move(set);
    return true;
}

bool load_resident_fonts(const std::string& dir, ResidentFonts& fonts, std::string& error) {
    const std::string hint = " (the resident fonts come from Debian's console-setup-linux)";
    if (!load_console_font(dir + "/" + font_a_file, font_a_width, font_a_height, fonts.a, error) ||
        !load_console_font(dir + "/" + font_b_file, font_b_width, font_b_height, fonts.b, error)) {
        error += hint;
        return false;
    }
    return true;
}

} // namespace tq350::sim
