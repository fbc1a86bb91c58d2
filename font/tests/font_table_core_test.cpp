#include "font/font_table_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tq350::font {
namespace {

TEST(CodeList, ItemTexts) {
    const std::pair<int, std::string> cases[] = {
        {32, "' '\t  32"},    {99, "'c'\t  99"}, {100, "'d'\t100"}, {128, "'\x80'\t128"},
        {255, "'\xFF'\t255"}, {31, ""},          {256, ""}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(code_list_item_text(code), text) << code;
}

// Only a code byte equal to the record's own code defines the character; the
// rows of record i start at i * 49 + 1 in font A; codes outside 32..255 have none.
TEST(FontTable, RecordsAndDefinedCharacters) {
    const std::pair<int, std::uint8_t> cases[] = {{65, 0x41},  {65, 0x00}, {65, 0x42}, {32, 0x20},
                                                  {255, 0xFF}, {31, 0x1F}, {256, 0x00}};
    for (const auto& [code, code_byte] : cases) {
        SCOPED_TRACE(testing::Message() << code << " holding " << int{code_byte});
        std::vector<std::uint8_t> file(10976, 0x00);
        const std::size_t offset = static_cast<std::size_t>(std::clamp(code, 32, 255) - 32) * 49;
        file[offset] = code_byte;
        file[offset + 48] = 0x1F;
        FontTable table = FontTable::from_file_bytes(file).value();
        const bool inside = code >= 32 && code <= 255;
        EXPECT_EQ(table.is_defined(code), inside && code_byte == code);
        EXPECT_EQ(table.rows(code).size(), inside ? 48u : 0u);
        EXPECT_EQ(inside ? table.rows(code)[47] : 0x1F, 0x1F);
        table.define(code, std::vector<std::uint8_t>(inside ? 16 : 48, 0xFF));
        EXPECT_EQ(table, FontTable::from_file_bytes(file)) << "rows of another size, or no record";
    }
}

} // namespace
} // namespace tq350::font
