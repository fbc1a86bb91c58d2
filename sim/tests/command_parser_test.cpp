// How byte streams split into commands and the parameters each command's journal line carries.
// Splits, restarts and every byte coming out once, in order, are the fuzz target's to check, so
// a command's length here fixes its bytes.

#include "command_parser.h"
#include "journal.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using namespace test;

// Each command as name/length and its parameters, "greeting/3, set_switch/4 {"switch":7,...}".
std::string parsed(const Bytes& stream) {
    CommandParser parser;
    auto commands = parser.feed(stream);
    const auto rest = parser.finish();
    commands.insert(commands.end(), rest.begin(), rest.end());
    std::string text;
    for (const Command& c : commands) {
        const auto fields = command_fields(c);
        const std::string params = JournalLine("").add_params(fields).body();
        text += (text.empty() ? "" : ", ") + std::string(command_name(c.kind)) + "/" +
                std::to_string(c.bytes.size()) +
                (fields.empty() ? "" : " " + params.substr(params.find(':') + 1));
    }
    return text;
}

TEST(CommandParser, SplitsStreamsIntoCommandsWithTheirParameters) {
    struct Case {
        Bytes stream;
        const char* commands;
    };
    const Case cases[] = {
        {hex("1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76 1B 40 1B 76"),
         "greeting/3, info_request/7, power_request/2, status_request/2, initialize/2, "
         "status_request/2"},
        {hex("1B 3F 0D 00"), R"(magstripe_request/4 {"track_byte":13,"tracks":[1,3]})"},
        {hex("1D 29 07 01"), R"(set_switch/4 {"switch":7,"on":1})"},
        {hex("1B 78 3C 1B 6C 01"), R"(set_auto_off/3 {"minutes":60}, set_black_mark/3 {"on":1})"},
        {hex("1B 3E 01 1B 53 34"),
         R"(set_irda_speed/3 {"code":1,"max_bps":57600}, set_speed/3 {"code":4,"bps":19200})"},
        {hex("1B 5F 1B 53 33 1B 3E 01 1B 2B"),
         R"(total_reset/10 {"irda_code":1,"irda_max_bps":57600})"},
        {hex("1B 2B 1B 54 1B 2E 07 0C 0A"),
         "power_off/2, short_test/2, long_test/2, beep/1, find_black_mark/1, line_feed/1"},
        {hex("1B 3C") + ascii("x001122AABBCC"),
         R"(bluetooth_address/15 {"record":"x001122AABBCC","address":"001122AABBCC",)"
         R"("show_as_barcode":true})"},
        {hex("1D 2A 01 01 FF"),
         R"(logo_define/5 {"width_bytes":1,"height":1,"raster_bytes":1,"fits":true})"},
        {hex("1D 2A 00 00 00 1D 2A 00 00 07"), "logo_delete/5, logo_delete/4, beep/1"},
        {hex("1D 2F 03 1B 4A 50"), R"(logo_print/3 {"mode":3,"mode_name":"double"}, )"
                                   R"(feed/3 {"dots":80})"},
        {hex("1B 26 30 1B 26 31"), R"(font_reset/3 {"font":"A"}, font_reset/3 {"font":"B"})"},
        {hex("1B 26 32 20 21") + repeat(0xF0, 96) + hex("1B 26 33 41 41") + repeat(0x18, 16),
         R"(font_define/101 {"font":"A","first":32,"last":33,"glyphs":2}, )"
         R"(font_define/21 {"font":"B","first":65,"last":65,"glyphs":1})"},
        {hex("1B 26 33 42 41 07"),
         R"(font_define/5 {"font":"B","first":66,"last":65,"glyphs":0}, beep/1)"},
        {hex("1D 6B 41 0C") + ascii("012345678905"),
         R"(barcode/16 {"symbology":65,"symbology_name":"UPC-A","length":12,)"
         R"("data":"012345678905"})"},
        {ascii("Hi") + hex("B0 0A"), R"(text/3 {"text":"Hi\u00B0"}, line_feed/1)"},
        // What makes no command: unknown runs, resynchronising, commands cut short.
        {hex("01 02 03 1B 71 35 1B 76"), R"(unknown/5, text/1 {"text":"5"}, status_request/2)"},
        {hex("1B 5F 1B 53 34 07"), R"(unknown/2, set_speed/3 {"code":4,"bps":19200}, beep/1)"},
        {hex("1B 1B 40 00 1B 07"), "unknown/1, greeting/3, unknown/1, beep/1"},
        {hex("1B 3F 0F 01 1B 76"), "unknown/4, status_request/2"},
        {repeat(0x01, 257) + hex("1B 76"), "unknown/256, unknown/1, status_request/2"},
        {hex("1B 76 1D 2A 02 02 01"), "status_request/2, truncated/5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex_bytes(c.stream));
        EXPECT_EQ(parsed(c.stream), c.commands);
    }
}

} // namespace
} // namespace tq350::sim
