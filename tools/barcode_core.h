// The barcode dialog's choices and the one command sequence that prints them.
// The Win32 dialog fills its lists and up-down controls from the tables here
// and hands the user's choices to build_barcode_sequence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::tools {

struct Symbology {
    std::string_view text;            // as listed under "Barcode type:"
    std::uint8_t m;                   // symbology byte of GS k
    std::string_view code_set_prefix; // sent in front of the data, counted in n
};

// List order is the index of the "Barcode type:" list. The printer has one
// CODE 128 symbology; a fixed code set is chosen by "{A", "{B" or "{C" at the
// start of the data, so the three fixed-set entries only differ in that prefix.
inline constexpr std::array<Symbology, 12> symbology_table{{
    {"UPC-A", 0x41, ""},
    {"UPC-E", 0x42, ""},
    {"EAN13 (JAN13)", 0x43, ""},
    {"EAN8 (JAN8)", 0x44, ""},
    {"CODE 39", 0x45, ""},
    {"ITF", 0x46, ""},
    {"CODABAR (NW-7)", 0x47, ""},
    {"CODE 93", 0x48, ""},
    {"CODE 128", 0x49, ""},
    {"CODE 128-A", 0x49, "{A"},
    {"CODE 128-B", 0x49, "{B"},
    {"CODE 128-C", 0x49, "{C"},
}};

// Range and start position of an up-down control (UDM_SETRANGE32, UDM_SETPOS).
struct UpDownRange {
    int minimum;
    int maximum;
    int initial;
};

inline constexpr UpDownRange magnification_range{2, 4, 3};  // module width in dots
inline constexpr UpDownRange bar_height_range{1, 255, 162}; // in dots

// EM_LIMITTEXT of the data edit. With a code-set prefix the count is 130,
// which still fits the single count byte of GS k.
inline constexpr std::size_t max_barcode_data = 128;

// The list index is the byte of GS H.
enum class TextPosition : std::uint8_t {
    none = 0,
    above = 1,
    below = 2,
    above_and_below = 3,
};
inline constexpr std::array<std::string_view, 4> text_position_texts{
    "No text", "Above barcode", "Below barcode", "Above and below barcode"};

// The list index is the byte of GS f.
enum class TextFont : std::uint8_t {
    font_a = 0,
    font_b = 1,
};
inline constexpr std::array<std::string_view, 2> text_font_texts{"Font A", "Font B"};

// What the dialog holds when "Print It" is pressed. The defaults are the
// dialog's state right after it opens.
struct BarcodeRequest {
    std::string data;          // as typed; neither its characters nor its length
                               // are checked against the symbology, the printer
                               // decides what it can print
    std::size_t symbology = 0; // index into symbology_table
    int magnification = magnification_range.initial; // up-down position, may be
    int height = bar_height_range.initial;           // out of range when typed
    TextPosition text_position = TextPosition::none;
    TextFont text_font = TextFont::font_a;
};

// GS w, GS h, GS f, GS H, GS k m n data, ESC J 80, written in one go. Only the
// low byte of each up-down position is sent. Data beyond max_barcode_data is
// cut so that n always counts the bytes that follow it. Empty when there is
// nothing to print: no data, or a symbology index outside the table.
std::vector<std::uint8_t> build_barcode_sequence(const BarcodeRequest& request);

} // namespace tq350::tools
