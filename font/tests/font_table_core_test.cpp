#include "font/font_table_core.h"

#include "font/tests/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::font {
namespace {

using test::hex;

TEST(CodeList, ItemTexts) {
    struct Case {
        int code;
        std::string expected;
    };
    const Case cases[] = {
        {32, "' '\t  32"},    {65, "'A'\t  65"},    {99, "'c'\t  99"}, {100, "'d'\t100"},
        {128, "'\x80'\t128"}, {255, "'\xFF'\t255"}, {31, ""},          {256, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(code_list_item_text(c.code), c.expected);
    }
}

// Font A records are 49 bytes: record 65 starts at (65 - 32) * 49 = 1617.
TEST(FontTable, RecordsAndDefinedCharacters) {
    struct Case {
        const char* label;
        int code;
        std::uint8_t code_byte;
        bool defined;
    };
    const Case cases[] = {
        {"own code", 65, 0x41, true},          {"zero", 65, 0x00, false},
        {"neighbour's code", 65, 0x42, false}, {"first code", 32, 0x20, true},
        {"last code", 255, 0xFF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::uint8_t> file(10976, 0x00);
        const std::size_t offset = static_cast<std::size_t>(c.code - 32) * 49;
        file[offset] = c.code_byte;
        file[offset + 1] = 0x80;
        file[offset + 48] = 0x1F;
        const FontTable table = FontTable::from_file_bytes(file).value();
        EXPECT_EQ(table.is_defined(c.code), c.defined);
        EXPECT_EQ(table.code_byte(c.code), c.code_byte);
        EXPECT_EQ(hex(table.rows(c.code).first(1)), "80");
        EXPECT_EQ(hex(table.rows(c.code).last(1)), "1F");
        EXPECT_EQ(table.rows(c.code).size(), 48u);
    }
}

TEST(FontTable, CodesOutsideTheTableAreIgnored) {
    FontTable table(FontKind::b);
    const std::vector<std::uint8_t> rows(16, 0xFF);
    for (int code : {0, 31, 256, -1}) {
        SCOPED_TRACE(code);
        table.define(code, rows);
        table.set_code_byte(code, 0x41);
        EXPECT_FALSE(table.is_defined(code));
        EXPECT_TRUE(table.rows(code).empty());
    }
    table.define(65, std::vector<std::uint8_t>(48, 0xFF));
    EXPECT_EQ(table, FontTable(FontKind::b)) << "rows of the other font's size";
}

} // namespace
} // namespace tq350::font
