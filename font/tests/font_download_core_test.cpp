#include "font/font_download_core.h"

#include "font/tests/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::font {
namespace {

using test::hex;

std::string test_print_head(const char* font_select) {
    return std::string("1B 4A 22 1B 25 01 1B 56 00 1B 7B 00 1B 20 00 1D 4C 00 00 1B 33 00 1B 21 ") +
           font_select;
}

struct Record {
    int code;
    std::vector<std::uint8_t> bytes; // code byte, then the first rows; the rest stay 0
};

FontTable with_records(FontKind kind, const std::vector<Record>& records) {
    const FontGeometry& geometry = font_geometry(kind);
    std::vector<std::uint8_t> file(geometry.table_size, 0x00);
    for (const Record& record : records) {
        const auto offset = static_cast<std::ptrdiff_t>(static_cast<std::size_t>(record.code - 32) *
                                                        geometry.record_size);
        std::copy(record.bytes.begin(), record.bytes.end(), file.begin() + offset);
    }
    return FontTable::from_file_bytes(file).value();
}

// A font B 'A', 16 rows of one byte.
const Record letter_a_b{'A',
                        {0x41, 0x00, 0x18, 0x24, 0x42, 0x42, 0x42, 0x7E, 0x42, 0x42, 0x42, 0x42,
                         0x00, 0x00, 0x00, 0x00, 0x00}};

TEST(FontDownload, Sequences) {
    struct Case {
        const char* label;
        FontTable table;
        DownloadChoices choices;
        const char* expected;
    };
    const Case cases[] = {
        {"fresh font, no to both", FontTable(FontKind::a), {false, false}, ""},
        {"reset only, font A", FontTable(FontKind::a), {true, false}, "1B 26 30"},
        {"reset only, font B", FontTable(FontKind::b), {true, false}, "1B 26 31"},
        {"stray code byte is not defined",
         with_records(FontKind::b, {{'A', {0x42, 0xFF}}}),
         {false, false},
         ""},
        {"font B, only 'A'",
         with_records(FontKind::b, {letter_a_b}),
         {false, false},
         "1B 26 33 41 41 00 18 24 42 42 42 7E 42 42 42 42 00 00 00 00 00"},
        {"font A, code 255, rows as stored",
         with_records(FontKind::a, {{255, {0xFF, 0x80, 0x1F, 0x00, 0x00, 0xAB}}}),
         {true, false},
         "1B 26 30 1B 26 32 FF FF "
         "80 1F 00 00 AB 00 00 00 00 00 00 00 00 00 00 00 "
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"font B, two characters in code order",
         with_records(FontKind::b, {{255, {0xFF, 0x01}}, {32, {0x20, 0x80}}}),
         {false, false},
         "1B 26 33 20 20 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "1B 26 33 FF FF 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(hex(build_font_download(c.table, c.choices)), c.expected);
    }
}

TEST(FontDownload, TestPrint) {
    struct Case {
        const char* label;
        FontTable table;
        DownloadChoices choices;
        std::size_t size;
        std::string start;
    };
    FontTable all_defined_a = FontTable(FontKind::a);
    for (int code = first_code; code <= last_code; ++code) {
        all_defined_a.set_code_byte(code, static_cast<std::uint8_t>(code));
    }
    const Case cases[] = {
        {"font A, test print alone",
         FontTable(FontKind::a),
         {false, true},
         253,
         test_print_head("00 20 21 22")},
        {"font B, test print alone",
         FontTable(FontKind::b),
         {false, true},
         253,
         test_print_head("01 20 21 22")},
        {"font A, everything", all_defined_a, {true, true}, 12128, "1B 26 30 1B 26 32 20 20 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::uint8_t> sequence = build_font_download(c.table, c.choices);
        ASSERT_EQ(sequence.size(), c.size);
        const std::span<const std::uint8_t> all(sequence);
        EXPECT_EQ(hex(all.first((c.start.size() + 1) / 3)), c.start);
        EXPECT_EQ(hex(all.last(8)), "FC FD FE FF 0A 1B 4A 50");
        EXPECT_EQ(hex(all.last(253).first(25)),
                  test_print_head(c.table.kind() == FontKind::a ? "00" : "01"));
    }
}

} // namespace
} // namespace tq350::font
