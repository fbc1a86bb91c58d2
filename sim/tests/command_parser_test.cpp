#include "command_parser.h"
#include "test_support.h"

#include <gtest/gtest.h>


namespace tq350::sim {
namespace {

using test::ascii;
using test::Bytes;
using test::hex;
using test::operator+;
using test::repeat;
using K = CommandKind;

std::vector<Command> parse_whole(const Bytes& stream) {
    CommandParser parser;
    auto out = parser.feed(stream);
    auto rest = parser.finish();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

std::vector<Command> parse_in_chunks(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    CommandParser parser;
    std::vector<Command> out;
    std::size_t from = 0;
    auto take = [&](std::size_t to) {
        auto part = parser.feed(std::span(stream).subspan(from, to - from));
        out.insert(out.end(), part.begin(), part.end());
        from = to;
    };
    for (std::size_t cut : cuts)
        take(cut);
    take(stream.size());
    auto rest = parser.finish();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

struct SingleCase {
    const char* name;
    Bytes input;
    CommandKind kind;
    std::vector<Field> fields;
};

// One command of every kind the setup tool sends, with the parameters it carries.
TEST(CommandParser, RecognisesEveryCommandWithItsParameters) {
    const SingleCase cases[] = {
        {"greeting", hex("1B 40 00"), K::greeting, {}},
        {"information request", hex("1B 40 1B 3D 01 1B 5A"), K::info_request, {}},
        {"power request", hex("1B 60"), K::power_request, {}},
        {"status request", hex("1B 76"), K::status_request, {}},
        {"magstripe track 2",
         hex("1B 3F 0A 00"),
         K::magstripe_request,
         {{"track_byte", 10}, {"tracks", std::vector<int>{2}}}},
        {"switch 7 on", hex("1D 29 07 01"), K::set_switch, {{"switch", 7}, {"on", 1}}},
        {"density 70 %", hex("1B 59 00"), K::set_density, {{"level", 0}, {"percent", "70"}}},
        {"auto off 60", hex("1B 78 3C"), K::set_auto_off, {{"minutes", 60}}},
        {"black mark", hex("1B 6C 01"), K::set_black_mark, {{"on", 1}}},
        {"irda 57600", hex("1B 3E 01"), K::set_irda_speed, {{"code", 1}, {"max_bps", 57600}}},
        {"speed 19200", hex("1B 53 34"), K::set_speed, {{"code", 4}, {"bps", 19200}}},
        {"total reset",
         hex("1B 5F 1B 53 33 1B 3E 01 1B 2B"),
         K::total_reset,
         {{"irda_code", 1}, {"irda_max_bps", 57600}}},
        {"power off", hex("1B 2B"), K::power_off, {}},
        {"bluetooth",
         hex("1B 3C 78 30 30 31 31 32 32 41 41 42 42 43 43"),
         K::bluetooth_address,
         {{"record", "x001122AABBCC"}, {"address", "001122AABBCC"}, {"show_as_barcode", true}}},
        {"short test", hex("1B 54"), K::short_test, {}},
        {"long test", hex("1B 2E"), K::long_test, {}},
        {"beep", hex("07"), K::beep, {}},
        {"black mark search", hex("0C"), K::find_black_mark, {}},
        {"line feed", hex("0A"), K::line_feed, {}},
        {"logo 8x1",
         hex("1D 2A 01 01 FF"),
         K::logo_define,
         {{"width_bytes", 1}, {"height", 1}, {"raster_bytes", 1}, {"fits", true}}},
        {"logo too wide",
         hex("1D 2A 31 01") + repeat(0x55, 49),
         K::logo_define,
         {{"width_bytes", 49}, {"height", 1}, {"raster_bytes", 49}, {"fits", false}}},
        {"delete logo", hex("1D 2A 00 00 00"), K::logo_delete, {}},
        {"logo print doubled",
         hex("1D 2F 03"),
         K::logo_print,
         {{"mode", 3}, {"mode_name", "double"}}},
        {"feed 80", hex("1B 4A 50"), K::feed, {{"dots", 80}}},
        {"user chars", hex("1B 25 01"), K::set_user_chars, {{"on", 1}}},
        {"font B", hex("1B 21 01"), K::select_font, {{"value", 1}, {"font", "B"}}},
        {"rotation", hex("1B 56 00"), K::set_rotation, {{"value", 0}}},
        {"upside down", hex("1B 7B 00"), K::set_upside_down, {{"on", 0}}},
        {"char spacing", hex("1B 20 00"), K::set_char_spacing, {{"dots", 0}}},
        {"left margin", hex("1D 4C 10 01"), K::set_left_margin, {{"dots", 272}}},
        {"line spacing", hex("1B 33 00"), K::set_line_spacing, {{"dots", 0}}},
        {"font B reset", hex("1B 26 31"), K::font_reset, {{"font", "B"}}},
        {"font A glyph",
         hex("1B 26 32 20 20") + repeat(0xF0, 48),
         K::font_define,
         {{"font", "A"}, {"first", 32}, {"last", 32}, {"glyphs", 1}}},
        {"font B glyph",
         hex("1B 26 33 41 41") + repeat(0x18, 16),
         K::font_define,
         {{"font", "B"}, {"first", 65}, {"last", 65}, {"glyphs", 1}}},
        {"barcode width", hex("1D 77 03"), K::set_barcode_width, {{"magnification", 3}}},
        {"barcode height", hex("1D 68 A2"), K::set_barcode_height, {{"dots", 162}}},
        {"barcode font", hex("1D 66 01"), K::set_barcode_font, {{"value", 1}, {"font", "B"}}},
        {"barcode text",
         hex("1D 48 03"),
         K::set_barcode_text_position,
         {{"position", 3}, {"position_name", "above_and_below"}}},
        {"UPC-A",
         hex("1D 6B 41 0C") + ascii("012345678905"),
         K::barcode,
         {{"symbology", 0x41},
          {"symbology_name", "UPC-A"},
          {"length", 12},
          {"data", "012345678905"}}},
        {"CODE 128-B",
         hex("1D 6B 49 05 7B 42 41 42 43"),
         K::barcode,
         {{"symbology", 0x49},
          {"symbology_name", "CODE128"},
          {"length", 5},
          {"data", "{BABC"},
          {"code_set", "B"}}},
        {"text", ascii("Hello"), K::text, {{"text", "Hello"}}},
    };
    for (const SingleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto commands = parse_whole(c.input);
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(command_name(commands[0].kind), command_name(c.kind));
        EXPECT_EQ(commands[0].bytes, c.input);
        EXPECT_EQ(command_fields(commands[0]), c.fields);
    }
}

struct StreamCase {
    const char* name;
    Bytes input;
    std::vector<Command> expected;
};

Bytes caption(std::string_view mode) {
    return hex("0A") + ascii("Preview LOGO '") + ascii(mode) + ascii("':") + hex("0A");
}

Bytes all_codes() {
    Bytes codes;
    for (int c = 0x20; c <= 0xFF; ++c)
        codes.push_back(static_cast<std::uint8_t>(c));
    return codes;
}

std::vector<StreamCase> stream_cases() {
    const Bytes glyph_b = hex("00 00 18 24 42 42 42 7E 42 42 42 42 00 00 00 00");
    return {
        {"query connection",
         hex("1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76"),
         {{K::greeting, hex("1B 40 00")},
          {K::info_request, hex("1B 40 1B 3D 01 1B 5A")},
          {K::power_request, hex("1B 60")},
          {K::status_request, hex("1B 76")}}},
        {"parameter write with start-up defaults",
         hex("1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 07 00 1D 29 08 00"
             " 1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B"),
         {{K::set_switch, hex("1D 29 01 00")},
          {K::set_switch, hex("1D 29 02 00")},
          {K::set_switch, hex("1D 29 03 00")},
          {K::set_switch, hex("1D 29 04 00")},
          {K::set_switch, hex("1D 29 05 00")},
          {K::set_switch, hex("1D 29 07 00")},
          {K::set_switch, hex("1D 29 08 00")},
          {K::set_density, hex("1B 59 03")},
          {K::set_auto_off, hex("1B 78 0A")},
          {K::set_black_mark, hex("1B 6C 00")},
          {K::set_switch, hex("1D 29 07 00")},
          {K::set_irda_speed, hex("1B 3E 00")},
          {K::power_off, hex("1B 2B")}}},
        {"ESC @ alone once it can be nothing longer",
         hex("1B 40 1B 76"),
         {{K::initialize, hex("1B 40")}, {K::status_request, hex("1B 76")}}},
        {"logo download of an 8x1 black logo",
         hex("1D 2A 01 01 FF 1B 25 00 1B 21 01") + caption("Normal 203x203 DPI") + hex("1D 2F 00") +
             caption("Double width 101x203 DPI") + hex("1D 2F 01") +
             caption("Double height 203x101 DPI") + hex("1D 2F 02") +
             caption("Double W/H 101x101 DPI") + hex("1D 2F 03 1B 4A 50"),
         {{K::logo_define, hex("1D 2A 01 01 FF")},
          {K::set_user_chars, hex("1B 25 00")},
          {K::select_font, hex("1B 21 01")},
          {K::line_feed, hex("0A")},
          {K::text, ascii("Preview LOGO 'Normal 203x203 DPI':")},
          {K::line_feed, hex("0A")},
          {K::logo_print, hex("1D 2F 00")},
          {K::line_feed, hex("0A")},
          {K::text, ascii("Preview LOGO 'Double width 101x203 DPI':")},
          {K::line_feed, hex("0A")},
          {K::logo_print, hex("1D 2F 01")},
          {K::line_feed, hex("0A")},
          {K::text, ascii("Preview LOGO 'Double height 203x101 DPI':")},
          {K::line_feed, hex("0A")},
          {K::logo_print, hex("1D 2F 02")},
          {K::line_feed, hex("0A")},
          {K::text, ascii("Preview LOGO 'Double W/H 101x101 DPI':")},
          {K::line_feed, hex("0A")},
          {K::logo_print, hex("1D 2F 03")},
          {K::feed, hex("1B 4A 50")}}},
        {"font B download with reset and test print",
         hex("1B 26 31 1B 26 33 41 41") + glyph_b +
             hex("1B 4A 22 1B 25 01 1B 56 00 1B 7B 00 1B 20 00 1D 4C 00 00 1B 33 00 1B 21 01") +
             all_codes() + hex("0A 1B 4A 50"),
         {{K::font_reset, hex("1B 26 31")},
          {K::font_define, hex("1B 26 33 41 41") + glyph_b},
          {K::feed, hex("1B 4A 22")},
          {K::set_user_chars, hex("1B 25 01")},
          {K::set_rotation, hex("1B 56 00")},
          {K::set_upside_down, hex("1B 7B 00")},
          {K::set_char_spacing, hex("1B 20 00")},
          {K::set_left_margin, hex("1D 4C 00 00")},
          {K::set_line_spacing, hex("1B 33 00")},
          {K::select_font, hex("1B 21 01")},
          {K::text, all_codes()},
          {K::line_feed, hex("0A")},
          {K::feed, hex("1B 4A 50")}}},
        {"barcode print",
         hex("1D 77 03 1D 68 A2 1D 66 00 1D 48 00 1D 6B 41 0C") + ascii("012345678905") +
             hex("1B 4A 50"),
         {{K::set_barcode_width, hex("1D 77 03")},
          {K::set_barcode_height, hex("1D 68 A2")},
          {K::set_barcode_font, hex("1D 66 00")},
          {K::set_barcode_text_position, hex("1D 48 00")},
          {K::barcode, hex("1D 6B 41 0C") + ascii("012345678905")},
          {K::feed, hex("1B 4A 50")}}},
        {"delete logo, then a command",
         hex("1D 2A 00 00 00 07"),
         {{K::logo_delete, hex("1D 2A 00 00 00")}, {K::beep, hex("07")}}},
        {"empty logo without its zero byte",
         hex("1D 2A 00 00 07"),
         {{K::logo_delete, hex("1D 2A 00 00")}, {K::beep, hex("07")}}},
        {"stray control bytes make one unknown run",
         hex("01 02 03 1B 76"),
         {{K::unknown, hex("01 02 03")}, {K::status_request, hex("1B 76")}}},
        {"an unknown ESC command keeps its letter",
         hex("1B 71 35 1B 76"),
         {{K::unknown, hex("1B 71")}, {K::text, ascii("5")}, {K::status_request, hex("1B 76")}}},
        {"broken total reset resyncs on its inner commands",
         hex("1B 5F 1B 53 34 07"),
         {{K::unknown, hex("1B 5F")}, {K::set_speed, hex("1B 53 34")}, {K::beep, hex("07")}}},
        {"ESC before a command",
         hex("1B 1B 40 00"),
         {{K::unknown, hex("1B")}, {K::greeting, hex("1B 40 00")}}},
        {"ESC before a control byte",
         hex("1B 07"),
         {{K::unknown, hex("1B")}, {K::beep, hex("07")}}},
        {"magstripe request without its zero byte",
         hex("1B 3F 0F 01 1B 76"),
         {{K::unknown, hex("1B 3F 0F 01")}, {K::status_request, hex("1B 76")}}},
        {"font range backwards carries no glyphs",
         hex("1B 26 33 42 41 07"),
         {{K::font_define, hex("1B 26 33 42 41")}, {K::beep, hex("07")}}},
        {"long runs are cut at 256 bytes",
         repeat(0x01, 300) + repeat('A', 300),
         {{K::unknown, repeat(0x01, 256)},
          {K::unknown, repeat(0x01, 44)},
          {K::text, repeat('A', 256)},
          {K::text, repeat('A', 44)}}},
        {"a logo cut short by the end of the stream",
         hex("1B 76 1D 2A 02 02 01"),
         {{K::status_request, hex("1B 76")}, {K::truncated, hex("1D 2A 02 02 01")}}},
    };
}

TEST(CommandParser, SplitsStreamsIntoCommands) {
    for (const StreamCase& c : stream_cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse_whole(c.input), c.expected);
    }
}

// Reads split the stream anywhere; the commands must not depend on where.
TEST(CommandParser, GivesTheSameCommandsWhereverTheReadsSplit) {
    for (const StreamCase& c : stream_cases()) {
        SCOPED_TRACE(c.name);
        for (std::size_t cut = 0; cut <= c.input.size(); ++cut)
            ASSERT_EQ(parse_in_chunks(c.input, {cut}), c.expected) << "split at " << cut;
        std::vector<std::size_t> every_byte;
        for (std::size_t i = 1; i < c.input.size(); ++i)
            every_byte.push_back(i);
        EXPECT_EQ(parse_in_chunks(c.input, every_byte), c.expected) << "byte by byte";
    }
}

// Runs end when something else begins; ESC @ and an empty logo without its zero byte are prefixes
// of longer commands, so the next bytes decide them.
bool ends_with_its_last_byte(const Command& c) {
    return c.kind != K::text && c.kind != K::unknown && c.kind != K::truncated &&
           c.kind != K::initialize && !(c.kind == K::logo_delete && c.bytes.size() == 4);
}

// A reply must not wait for the program's next byte: each command comes out with its last byte.
TEST(CommandParser, ReleasesEachCommandWithItsLastByte) {
    for (const StreamCase& c : stream_cases()) {
        SCOPED_TRACE(c.name);
        CommandParser parser;
        std::vector<Command> out;
        std::size_t end = 0;
        std::size_t next = 0; // index into c.expected of the next command to check
        for (std::size_t i = 0; i < c.input.size(); ++i) {
            auto part = parser.feed(std::span(c.input).subspan(i, 1));
            out.insert(out.end(), part.begin(), part.end());
            for (; next < c.expected.size() && end + c.expected[next].bytes.size() <= i + 1;
                 ++next) {
                end += c.expected[next].bytes.size();
                if (ends_with_its_last_byte(c.expected[next])) {
                    EXPECT_EQ(out.size(), next + 1) << "after byte " << i;
                }
            }
        }
    }
}

TEST(CommandParser, StartsAfreshAfterTheStreamEnds) {
    CommandParser parser;
    EXPECT_TRUE(parser.feed(hex("1B")).empty());
    EXPECT_EQ(parser.finish(), (std::vector<Command>{{K::truncated, hex("1B")}}));
    EXPECT_EQ(parser.feed(hex("76 1B 76")),
              (std::vector<Command>{{K::text, hex("76")}, {K::status_request, hex("1B 76")}}));
}

} // namespace
} // namespace tq350::sim
