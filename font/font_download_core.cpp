#include "font/font_download_core.h"

#include <algorithm>

namespace tq350::font {

namespace {

struct PrinterFont {
    std::uint8_t reset_digit;      // ESC & n
    std::uint8_t definition_digit; // ESC & n c1 c2
    std::uint8_t select;           // ESC ! n
};

constexpr std::array<PrinterFont, 2> printer_fonts{{
    {'0', '2', 0x00},
    {'1', '3', 0x01},
}};

constexpr const PrinterFont& printer_font(FontKind kind) {
    return printer_fonts[static_cast<std::size_t>(kind)];
}

constexpr std::size_t test_print_head_size = 25;

// The print settings go to 0 so that whatever an earlier job left set does not
// distort the sample; ESC % 1 prints with the downloaded characters. The last
// byte, the font selected by ESC !, is filled in per font.
constexpr std::array<std::uint8_t, test_print_head_size> test_print_head{
    0x1B, 0x4A, 34,    // ESC J 34
    0x1B, 0x25, 1,     // ESC % 1
    0x1B, 0x56, 0,     // ESC V 0
    0x1B, 0x7B, 0,     // ESC { 0
    0x1B, 0x20, 0,     // ESC SP 0
    0x1D, 0x4C, 0,  0, // GS L 0 0
    0x1B, 0x33, 0,     // ESC 3 0
    0x1B, 0x21, 0,     // ESC ! n
};

constexpr std::array<std::uint8_t, 4> test_print_tail{
    0x0A,           // LF
    0x1B, 0x4A, 80, // ESC J 80: feed the sample out of the printer
};

static_assert(test_print_head_size + character_count + test_print_tail.size() ==
              test_print_block_size);

constexpr std::size_t definition_header_size = 5;

} // namespace

std::array<std::uint8_t, 3> font_reset_command(FontKind kind) {
    return {0x1B, 0x26, printer_font(kind).reset_digit};
}

std::vector<std::uint8_t> character_definition(const FontTable& table, int code) {
    if (!table.is_defined(code)) {
        return {};
    }
    const auto c = static_cast<std::uint8_t>(code);
    std::vector<std::uint8_t> definition{0x1B, 0x26, printer_font(table.kind()).definition_digit, c,
                                         c};
    const std::span<const std::uint8_t> rows = table.rows(code);
    definition.insert(definition.end(), rows.begin(), rows.end());
    return definition;
}

std::array<std::uint8_t, test_print_block_size> test_print_block(FontKind kind) {
    std::array<std::uint8_t, test_print_block_size> block{};
    auto out = std::copy(test_print_head.begin(), test_print_head.end(), block.begin());
    block[test_print_head_size - 1] = printer_font(kind).select;
    for (int code = first_code; code <= last_code; ++code) {
        *out++ = static_cast<std::uint8_t>(code);
    }
    std::copy(test_print_tail.begin(), test_print_tail.end(), out);
    return block;
}

std::vector<std::uint8_t> build_font_download(const FontTable& table,
                                              const DownloadChoices& choices) {
    std::size_t defined = 0;
    for (int code = first_code; code <= last_code; ++code) {
        defined += table.is_defined(code) ? 1 : 0;
    }
    const std::size_t definition_size = definition_header_size + table.geometry().rows_size;
    std::vector<std::uint8_t> sequence;
    sequence.reserve((choices.reset_first ? 3 : 0) + defined * definition_size +
                     (choices.test_print ? test_print_block_size : 0));
    if (choices.reset_first) {
        const auto reset = font_reset_command(table.kind());
        sequence.insert(sequence.end(), reset.begin(), reset.end());
    }
    for (int code = first_code; code <= last_code; ++code) {
        const std::vector<std::uint8_t> definition = character_definition(table, code);
        sequence.insert(sequence.end(), definition.begin(), definition.end());
    }
    if (choices.test_print) {
        const auto block = test_print_block(table.kind());
        sequence.insert(sequence.end(), block.begin(), block.end());
    }
    return sequence;
}

} // namespace tq350::font
