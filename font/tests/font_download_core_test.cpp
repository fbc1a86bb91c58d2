#include "font/font_download_core.h"

#include "app/tests/hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tq350::font {
namespace {

using tq350::test::hex;

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

std::string zeros(int count) {
    std::string text = "00";
    for (int i = 1; i < count; ++i)
        text += " 00";
    return text;
}

// Records given by their first bytes (code byte, then rows); the rest stay 0.
FontTable with_records(FontKind kind, const std::vector<std::vector<std::uint8_t>>& records) {
    FontTable table(kind);
    for (std::vector<std::uint8_t> record : records) {
        const int code = record[0];
        record.resize(table.geometry().record_size);
        table.set_record(code, record);
    }
    return table;
}

TEST(FontDownload, Sequences) {
    struct Case {
        const char* label;
        FontTable table;
        DownloadChoices choices;
        std::string expected;
    };
    FontTable stray(FontKind::b);
    stray.set_code_byte(65, 0x42);
    const Case cases[] = {
        {"fresh font, no to both", FontTable(FontKind::a), {false, false}, ""},
        {"reset only, font A", FontTable(FontKind::a), {true, false}, "1B 26 30"},
        {"reset only, font B", FontTable(FontKind::b), {true, false}, "1B 26 31"},
        {"stray code byte is not defined", stray, {}, ""},
        {"font B, two characters in code order, rows as stored",
         with_records(FontKind::b, {{0xFF, 0x01, 0x80}, {0x20, 0x80}}),
         {},
         "1B 26 33 20 20 80 " + zeros(15) + " 1B 26 33 FF FF 01 80 " + zeros(14)},
        {"font A, code 255 after a reset",
         with_records(FontKind::a, {{0xFF, 0x80, 0x1F, 0x00, 0x00, 0xAB}}),
         {true, false},
         "1B 26 30 1B 26 32 FF FF 80 1F 00 00 AB " + zeros(43)},
        {"font A, test print alone", FontTable(FontKind::a), {false, true}, test_print("00")},
        {"font B, test print after a reset",
         FontTable(FontKind::b),
         {true, true},
         "1B 26 31 " + test_print("01")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(build_font_download(c.table, c.choices)), c.expected);
    }
}

// Every character of font A with a test print is the longest download.
TEST(FontDownload, Everything) {
    FontTable all_defined(FontKind::a);
    for (int code = first_code; code <= last_code; ++code)
        all_defined.set_code_byte(code, static_cast<std::uint8_t>(code));
    const std::vector<std::uint8_t> sequence = build_font_download(all_defined, {true, true});
    ASSERT_EQ(sequence.size(), 12128u);
    EXPECT_EQ(hex(std::span(sequence).first(9)), "1B 26 30 1B 26 32 20 20 00");
    EXPECT_EQ(hex(std::span(sequence).subspan(3 + 223 * 53, 5)), "1B 26 32 FF FF");
    EXPECT_EQ(hex(std::span(sequence).last(253)), test_print("00"));
}

} // namespace
} // namespace tq350::font
