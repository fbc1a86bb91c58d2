#include "tools/barcode_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tq350::tools {
namespace {

using tq350::test::hex;

// The list text at each position is what the user picks; the bytes are what
// the printer must receive for it, with the dialog's start options.
TEST(BarcodeSequence, EverySymbologyInListOrder) {
    struct Case {
        const char* text;
        const char* data;
        const char* gs_k;
    };
    const Case cases[] = {
        {"UPC-A", "012345678905", "1D 6B 41 0C 30 31 32 33 34 35 36 37 38 39 30 35"},
        {"UPC-E", "01", "1D 6B 42 02 30 31"},
        {"EAN13 (JAN13)", "01", "1D 6B 43 02 30 31"},
        {"EAN8 (JAN8)", "01", "1D 6B 44 02 30 31"},
        {"CODE 39", "01", "1D 6B 45 02 30 31"},
        {"ITF", "01", "1D 6B 46 02 30 31"},
        {"CODABAR (NW-7)", "01", "1D 6B 47 02 30 31"},
        {"CODE 93", "01", "1D 6B 48 02 30 31"},
        {"CODE 128", "ABC", "1D 6B 49 03 41 42 43"},
        {"CODE 128-A", "ABC", "1D 6B 49 05 7B 41 41 42 43"},
        {"CODE 128-B", "ABC", "1D 6B 49 05 7B 42 41 42 43"},
        {"CODE 128-C", "01", "1D 6B 49 04 7B 43 30 31"},
    };
    ASSERT_EQ(std::size(cases), symbology_table.size());
    for (std::size_t i = 0; i < symbology_table.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        EXPECT_EQ(symbology_table[i].text, cases[i].text);
        EXPECT_EQ(hex(build_barcode_sequence({.data = cases[i].data, .symbology = i})),
                  std::string("1D 77 03 1D 68 A2 1D 66 00 1D 48 00 ") + cases[i].gs_k +
                      " 1B 4A 50");
    }
}

// The user picks a list text; its position is the byte GS H or GS f sends.
// Up-down positions typed out of range go out as their low byte.
TEST(BarcodeSequence, SizeAndTextOptions) {
    EXPECT_EQ(text_position_texts,
              (std::array<std::string_view, 4>{"No text", "Above barcode", "Below barcode",
                                               "Above and below barcode"}));
    EXPECT_EQ(text_font_texts, (std::array<std::string_view, 2>{"Font A", "Font B"}));
    struct Case {
        int magnification, height, position, font;
        const char* options;
    };
    const Case cases[] = {{4, 255, 1, 0, "1D 77 04 1D 68 FF 1D 66 00 1D 48 01"},
                          {2, 1, 2, 1, "1D 77 02 1D 68 01 1D 66 01 1D 48 02"},
                          {3, 162, 3, 1, "1D 77 03 1D 68 A2 1D 66 01 1D 48 03"},
                          {0x105, 300, 0, 0, "1D 77 05 1D 68 2C 1D 66 00 1D 48 00"}};
    for (const Case& c : cases) {
        const auto sequence = build_barcode_sequence({.data = "7",
                                                      .symbology = 4,
                                                      .magnification = c.magnification,
                                                      .height = c.height,
                                                      .text_position = TextPosition(c.position),
                                                      .text_font = TextFont(c.font)});
        EXPECT_EQ(hex(sequence), std::string(c.options) + " 1D 6B 45 01 37 1B 4A 50");
    }
}

// n is a single byte and must count exactly the bytes between it and ESC J.
TEST(BarcodeSequence, DataLength) {
    struct Case {
        const char* label;
        std::size_t length, symbology, expected_size;
        const char* n_and_end;
    };
    const Case cases[] = {{"empty data prints nothing", 0, 0, 0, ""},
                          {"unknown symbology prints nothing", 3, 12, 0, ""},
                          {"128 characters of CODE 128-C", 128, 11, 149, "82 / 35 1B 4A 50"},
                          {"pasted past the limit is cut", 200, 4, 147, "80 / 35 1B 4A 50"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto sequence =
            build_barcode_sequence({.data = std::string(c.length, '5'), .symbology = c.symbology});
        ASSERT_EQ(sequence.size(), c.expected_size);
        EXPECT_EQ(sequence.empty() ? ""
                                   : hex(std::span(sequence).subspan(15, 1)) + " / " +
                                         hex(std::span(sequence).last(4)),
                  c.n_and_end);
    }
}

} // namespace
} // namespace tq350::tools
