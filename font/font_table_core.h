// The printer's two downloadable fonts and the font table that holds one of
// them: 224 character records for the codes 32 to 255, which are also the bytes
// of a *.fnt file. The font editor's code list is built here too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tq350::font {

enum class FontKind : std::uint8_t { a, b };

inline constexpr int first_code = 32;
inline constexpr int last_code = 255;
inline constexpr int character_count = last_code - first_code + 1;

constexpr bool is_character_code(int code) {
    return code >= first_code && code <= last_code;
}

struct FontGeometry {
    FontKind kind;
    int width;                  // dots
    int height;                 // dots, also the number of glyph rows
    std::size_t bytes_per_row;  // packed, normal polarity
    std::size_t rows_size;      // height * bytes_per_row
    std::size_t record_size;    // the code byte, then the rows
    std::size_t table_size;     // character_count records; also the file size
    std::uint32_t set_size_arg; // SDM_SETSIZE lParam: height in the high word
};

inline constexpr std::array<FontGeometry, 2> font_geometries{{
    {FontKind::a, 12, 24, 2, 48, 49, 10976, 0x18000C},
    {FontKind::b, 8, 16, 1, 16, 17, 3808, 0x100008},
}};

constexpr const FontGeometry& font_geometry(FontKind kind) {
    return font_geometries[static_cast<std::size_t>(kind)];
}

// A font file is the font table byte for byte, without a header, so its size
// alone tells the font; any other size is not a font file.
constexpr std::optional<FontKind> font_kind_of_file_size(std::uint64_t size) {
    for (const FontGeometry& geometry : font_geometries) {
        if (size == geometry.table_size) {
            return geometry.kind;
        }
    }
    return std::nullopt;
}

// Each row is packed into as few bytes as its dots need, so only a row's last
// byte has unused low bits; the editor session relies on that.
constexpr bool font_geometries_agree() {
    for (std::size_t i = 0; i < font_geometries.size(); ++i) {
        const FontGeometry& g = font_geometries[i];
        const auto width = static_cast<std::size_t>(g.width);
        const auto height = static_cast<std::size_t>(g.height);
        if (static_cast<std::size_t>(g.kind) != i || g.bytes_per_row != (width + 7) / 8 ||
            g.rows_size != height * g.bytes_per_row || g.record_size != 1 + g.rows_size ||
            g.table_size != g.record_size * character_count ||
            g.set_size_arg != (height << 16 | width)) {
            return false;
        }
    }
    return true;
}
static_assert(font_geometries_agree());

// One font in memory, byte for byte what a font file holds. Record i, at offset
// i * record_size, belongs to code 32 + i: a code byte, then the glyph rows top
// first. The code byte equals the record's own code when the character is
// defined; any other value, 0 as written by this program or whatever a file
// holds, means undefined. Undefined records keep their rows untouched so that a
// loaded file saves back unchanged. Codes outside 32..255 read as undefined with
// no rows, and changes to them are ignored.
class FontTable {
  public:
    // Every character undefined, every row byte 0.
    explicit FontTable(FontKind kind = FontKind::a);

    // The bytes of a font file: any size but 10976 (font A) or 3808 (font B) is
    // not one. Nothing else is checked.
    static std::optional<FontTable> from_file_bytes(std::span<const std::uint8_t> bytes);

    FontKind kind() const { return kind_; }
    const FontGeometry& geometry() const { return font_geometry(kind_); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    std::uint8_t code_byte(int code) const;
    bool is_defined(int code) const;
    std::span<const std::uint8_t> rows(int code) const;
    // The code byte followed by the rows.
    std::span<const std::uint8_t> record(int code) const;

    // Defines the character with these rows; a span of another length is ignored.
    void define(int code, std::span<const std::uint8_t> rows);
    // Puts back a whole record as record() returned it; another length is ignored.
    void set_record(int code, std::span<const std::uint8_t> record);

    friend bool operator==(const FontTable&, const FontTable&) = default;

  private:
    std::span<std::uint8_t> mutable_record(int code);

    FontKind kind_;
    std::vector<std::uint8_t> bytes_;
};

// The code list of the font editor shows every code as the character in
// apostrophes, a tab and the number right-aligned to width 4 below 100 and 3
// from 100 on ("' '\t  32", "'d'\t100"). Codes 128 to 255 appear as their raw
// byte, which the list shows in the system's ANSI code page. Empty for codes
// outside 32..255. Item i of the list is code 32 + i.
std::string code_list_item_text(int code);

} // namespace tq350::font
