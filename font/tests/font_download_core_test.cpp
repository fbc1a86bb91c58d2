#include "font/font_download_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tq350::font {
namespace {

using ::tq350::test::hex;

std::string zeros(std::size_t count) {
    return test::run("00", count);
}

// Print settings to 0, ESC % 1, ESC ! with the font, codes 32 to 255, LF, ESC J 80.
std::string test_print(const char* font_select) {
    std::string block = "1B 4A 22 1B 25 01 1B 56 00 1B 7B 00 1B 20 00 1D 4C 00 00 1B 33 00 1B 21 ";
    block += font_select;
    for (int code = 32; code <= 255; ++code) {
        char cell[4];
        std::snprintf(cell, sizeof cell, " %02X", code);
        block += cell;
    }
    return block + " 0A 1B 4A 50";
}

// Records given by their code and first bytes (code byte, then rows); the rest 0.
FontTable font(FontKind kind,
               const std::vector<std::pair<int, std::vector<std::uint8_t>>>& records) {
    std::vector<std::uint8_t> file(font_geometry(kind).table_size, 0x00);
    for (const auto& [code, bytes] : records)
        std::copy(bytes.begin(), bytes.end(),
                  file.begin() + (code - 32) * std::ssize(file) / character_count);
    return FontTable::from_file_bytes(file).value();
}

TEST(FontDownload, Sequences) {
    struct Case {
        const char* label;
        FontTable table;
        DownloadChoices choices;
        std::string expected;
    };
    const Case cases[] = {
        {"fresh font, no to both", FontTable(FontKind::a), {false, false}, ""},
        {"reset only, font A", FontTable(FontKind::a), {true, false}, "1B 26 30"},
        {"reset only, font B", FontTable(FontKind::b), {true, false}, "1B 26 31"},
        {"stray code byte is not defined", font(FontKind::b, {{65, {0x42, 0xFF}}}), {}, ""},
        {"font B, two characters in code order, rows as stored",
         font(FontKind::b, {{255, {0xFF, 0x01, 0x80}}, {32, {0x20, 0x80}}}),
         {},
         "1B 26 33 20 20 80 " + zeros(15) + " 1B 26 33 FF FF 01 80 " + zeros(14)},
        {"font A, code 255 after a reset",
         font(FontKind::a, {{255, {0xFF, 0x80, 0x1F, 0, 0, 0xAB}}}),
         {true, false},
         "1B 26 30 1B 26 32 FF FF 80 1F 00 00 AB " + zeros(43)},
        {"font A, test print alone", FontTable(FontKind::a), {false, true}, test_print("00")},
        {"font B, test print after a reset",
         FontTable(FontKind::b),
         {true, true},
         "1B 26 31 " + test_print("01")}};
    for (const Case& c : cases)
        EXPECT_EQ(hex(build_font_download(c.table, c.choices)), c.expected) << c.label;
}

} // namespace
} // namespace tq350::font
