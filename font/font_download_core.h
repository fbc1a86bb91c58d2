// The font download: one command sequence that may reset the printer's
// downloadable font, defines every defined character of the table, and may
// end with a test print of all 224 codes. The sequence holds 0x00 bytes, so it
// is always sent with its length.
#pragma once

#include "font/font_table_core.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tq350::font {

// ESC & "0" (font A) or "1" (font B): forget the downloaded characters of that font.
std::array<std::uint8_t, 3> font_reset_command(FontKind kind);

// ESC & "2" (font A) or "3" (font B), then the code twice (a range of one
// character), then the record's rows exactly as stored: 53 or 21 bytes.
// Empty for a character the table does not define.
std::vector<std::uint8_t> character_definition(const FontTable& table, int code);

inline constexpr std::size_t test_print_block_size = 253;

// Print settings, ESC ! selecting the font, the codes 32 to 255 whether defined
// or not, LF and a feed.
std::array<std::uint8_t, test_print_block_size> test_print_block(FontKind kind);

struct DownloadChoices {
    bool reset_first = false; // answer to "reset downloadable font first?"
    bool test_print = false;  // answer to "print test of downloaded symbols?"
};

// The whole sequence for the table's font, the other font untouched. Empty
// when there is nothing to send (no choice taken and no character defined);
// at most 3 + 224 * 53 + 253 = 12128 bytes.
std::vector<std::uint8_t> build_font_download(const FontTable& table,
                                              const DownloadChoices& choices);

} // namespace tq350::font
