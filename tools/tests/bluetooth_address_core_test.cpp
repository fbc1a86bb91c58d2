#include "tools/bluetooth_address_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <string>

namespace tq350::tools {
namespace {

using namespace std::string_view_literals;
using Digits = std::array<std::string, address_field_count>;

const Digits example{"00", "12", "AB", "34", "CD", "56"};
const Digits zeros{"00", "00", "00", "00", "00", "00"};

TEST(AddressRecord, ShownInTheFields) {
    struct Case {
        std::string_view record;
        Digits digits;
        bool shown_as_barcode;
    };
    const Case cases[] = {
        {"x0012AB34CD56", example, true},
        {"X0012AB34CD56\0garbage"sv, example, false},
        {"x12", zeros, true},
        {"x0012AB34CD567", zeros, true},
        {"X0012\0AB34CD56"sv, zeros, false},
        {"", zeros, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.record));
        const AddressFields fields = show_address_record(c.record);
        EXPECT_EQ(fields.digits, c.digits);
        EXPECT_EQ(fields.shown_as_barcode, c.shown_as_barcode);
    }
}

TEST(AddressRecord, StoredOnOk) {
    struct Case {
        std::string_view record;
        AddressFields fields;
        std::string_view expected;
    };
    const Case cases[] = {
        {"x000000000000", {example, false}, "X0012AB34CD56"},
        {"X000000000000", {example, true}, "x0012AB34CD56"},
        {"X000000000000", {{"11", "22", "7", "", "ab", "G1"}, false}, "X11220700AB01"},
        {"1000000000000", {zeros, true}, "1000000000000"},
        {"", {zeros, true}, "x000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.expected));
        const AddressRecord record = confirm_address_record(c.record, c.fields);
        EXPECT_EQ(std::string_view(record.data(), record.size()), c.expected);
    }
}

TEST(AddressField, Typing) {
    struct Case {
        std::string_view text;
        std::size_t caret;
        const char* corrected; // nullptr: the text stays
        bool advance;
    };
    const Case cases[] = {
        {"G", 1, "0", false},     {"5Z", 2, "50", false},   {"z5", 1, "05", false},
        {"A", 1, nullptr, false}, {"1a", 2, nullptr, true}, {"", 0, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        const FieldUpdate update = update_address_field(c.text, c.caret);
        EXPECT_EQ(update.advance, c.advance);
        ASSERT_EQ(update.corrected, c.corrected != nullptr);
        if (update.corrected) {
            EXPECT_EQ(update.text, c.corrected);
            EXPECT_EQ(update.caret, c.caret);
        }
    }
}

TEST(AddressCommand, Bytes) {
    const AddressRecord record{'x', '0', '0', '1', '2', 'A', 'B', '3', '4', 'C', 'D', '5', '6'};
    EXPECT_EQ(test::hex(build_address_command(record)),
              "1B 3C 78 30 30 31 32 41 42 33 34 43 44 35 36");
}

} // namespace
} // namespace tq350::tools
