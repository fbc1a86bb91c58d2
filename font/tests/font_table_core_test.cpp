#include "font/font_table_core.h"

#include "app/tests/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq350::font {
namespace {

using tq350::test::hex;

TEST(CodeList, ItemTexts) {
    const std::pair<int, std::string> cases[] = {
        {32, "' '\t  32"},    {99, "'c'\t  99"}, {100, "'d'\t100"}, {128, "'\x80'\t128"},
        {255, "'\xFF'\t255"}, {31, ""},          {256, ""},
    };
    for (const auto& [code, text] : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(code_list_item_text(code), text);
    }
}

// Font A records are 49 bytes: record 65 starts at (65 - 32) * 49 = 1617. Only a
// code byte equal to the record's own code defines the character.
TEST(FontTable, RecordsAndDefinedCharacters) {
    struct Case {
        int code;
        std::uint8_t code_byte;
        bool defined;
    };
    const Case cases[] = {{65, 0x41, true},
                          {65, 0x00, false},
                          {65, 0x42, false},
                          {32, 0x20, true},
                          {255, 0xFF, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " holding " << int{c.code_byte});
        std::vector<std::uint8_t> file(10976, 0x00);
        const std::size_t offset = static_cast<std::size_t>(c.code - 32) * 49;
        file[offset] = c.code_byte;
        file[offset + 1] = 0x80;
        file[offset + 48] = 0x1F;
        const FontTable table = FontTable::from_file_bytes(file).value();
        EXPECT_EQ(table.is_defined(c.code), c.defined);
        EXPECT_EQ(hex(table.record(c.code).first(2)), hex(std::vector{c.code_byte, uint8_t{0x80}}));
        EXPECT_EQ(table.rows(c.code).size(), 48u);
        EXPECT_EQ(hex(table.rows(c.code).last(1)), "1F");
    }
}

TEST(FontTable, CodesOutsideTheTableAreIgnored) {
    FontTable table(FontKind::b);
    for (int code : {0, 31, 256, -1}) {
        SCOPED_TRACE(code);
        table.define(code, std::vector<std::uint8_t>(16, 0xFF));
        table.set_code_byte(code, 0x41);
        EXPECT_FALSE(table.is_defined(code));
        EXPECT_TRUE(table.rows(code).empty());
    }
    table.define(65, std::vector<std::uint8_t>(48, 0xFF));
    EXPECT_EQ(table, FontTable(FontKind::b)) << "rows of the other font's size";
}

} // namespace
} // namespace tq350::font
