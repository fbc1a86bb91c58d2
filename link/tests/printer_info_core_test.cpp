#include "link/printer_info_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace tq350::link {
namespace {

using namespace std::literals;
using tq350::test::hex;

struct BlockCase {
    const char* label;
    std::string_view name_field; // bytes 0 on, at most 27; the rest of the block is zero
    std::uint8_t byte27, byte28, byte31;
    int name_number;
    std::uint16_t capabilities; // bit i: capability list item i
    std::uint8_t switches;      // bit k: switch list item k
    std::string_view flags;     // the flags that are set, as flags_of spells them
};

InformationBlock block_for(const BlockCase& c) {
    InformationBlock block{};
    std::copy(c.name_field.begin(), c.name_field.end(), block.begin());
    block[27] = c.byte27;
    block[28] = c.byte28;
    block[31] = c.byte31;
    return block;
}

// Bit i set when item i of a capability or switch list is.
template <std::size_t N> unsigned bits_of(const std::array<bool, N>& items) {
    unsigned bits = 0;
    for (std::size_t i = 0; i < N; ++i)
        bits |= items[i] ? 1u << i : 0u;
    return bits;
}

std::string flags_of(const PrinterInfo& i) {
    std::string text;
    for (const auto& [set, word] : {std::pair{i.has_info, "info"},
                                    {i.black_marks, "black-marks"},
                                    {i.magstripe_reader, "magstripe"},
                                    {i.bluetooth_number, "bluetooth"},
                                    {i.raw_irda, "raw-irda"},
                                    {i.fahrenheit, "fahrenheit"}})
        text += set ? (text.empty() ? "" : " ") + std::string(word) : "";
    return text;
}

TEST(InformationBlock, Decodes) {
    const BlockCase cases[] = {
        {"32 zero bytes", "", 0x00, 0x00, 0x00, 0, 0x0000, 0x00, ""},
        {"byte 0 zero: no features or switches, but the unit and the number count",
         "\0alvik TQ-350 Printer 204"sv, 0x7F, 0x3F, 0x7F, 204, 0x0000, 0x00,
         "bluetooth fahrenheit"},
        {"every bit set; unused bits and switch 6 ignored", "TQ-350", 0xFF, 0xFF, 0xFF, 0, 0x1FFF,
         0x5F, "info black-marks magstripe raw-irda fahrenheit"},
        {"capability items 1, 6, 7, 9, 12 from bits 27.1, 27.6, 28.0, 28.2, 28.5; 27.6 does not "
         "enable the address",
         "TQ-350", 0x42, 0x25, 0x00, 0, 0x12C2, 0x00, "info black-marks magstripe"},
        {"27 characters without terminator, feature byte '7' after the digits",
         "TQ-350 Mobile Printer 00204", 0x37, 0x00, 0x00, 204, 0x0037, 0x00,
         "info magstripe bluetooth fahrenheit"},
        {"digits 203 at bytes 22-24", "Halvik TQ-350 Printer 203", 0x00, 0x00, 0x00, 203, 0x0000,
         0x00, "info"},
        {"name ends 00020, feature byte 0x35 is not read as a digit", "Halvik TQ-350 Printer 00020",
         0x35, 0x00, 0x00, 20, 0x0035, 0x00, "info fahrenheit"},
        {"plus sign before the digits", "Halvik TQ-350 Printer +0204", 0x00, 0x00, 0x00, 204,
         0x0000, 0x00, "info bluetooth"},
        {"minus sign before the digits", "Halvik TQ-350 Printer -0204", 0x00, 0x00, 0x00, -204,
         0x0000, 0x00, "info"},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.label);
        const InformationBlock block = block_for(c);
        const PrinterInfo info = decode_printer_info(block);
        EXPECT_EQ(info.name_number, c.name_number);
        EXPECT_EQ(read_name_number(block), c.name_number);
        EXPECT_EQ(bits_of(info.capabilities), c.capabilities);
        EXPECT_EQ(bits_of(info.switches), c.switches);
        EXPECT_EQ(flags_of(info), c.flags);
    }
}

TEST(StatusByte, FirstSetBitInPriorityOrderPicksTheText) {
    struct Case {
        std::uint8_t status;
        int text_id;
    };
    const Case cases[] = {
        {0x00, 31}, // on-line
        {0x4C, 32}, // all three: out of paper first
        {0x48, 34}, // head over heat before the battery
        {0x40, 33}, // battery too low
        {0xB3, 31}, // every bit that is not read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex(std::span(&c.status, 1)));
        EXPECT_EQ(status_text_id(c.status), c.text_id);
    }
}

} // namespace
} // namespace tq350::link
