// How byte streams split into commands and what each command's journal line carries. Splits,
// restarts and every byte coming out once are the fuzz target's to check.

#include "command_parser.h"
#include "journal.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tq350::sim {
namespace {

using namespace test;

// Each command as "name [hex] params", one a line.
std::string parsed(const Bytes& stream) {
    CommandParser parser;
    auto commands = parser.feed(stream);
    const auto rest = parser.finish();
    commands.insert(commands.end(), rest.begin(), rest.end());
    std::string text;
    for (const Command& c : commands) {
        const std::string params = JournalLine("").add_params(command_fields(c)).body();
        text += std::string(command_name(c.kind)) + " [" + hex_bytes(c.bytes) + "] " +
                params.substr(params.find(':') + 1) + "\n";
    }
    return text;
}

TEST(CommandParser, SplitsStreamsIntoCommandsWithTheirParameters) {
    struct Case {
        Bytes stream;
        std::string commands;
    };
    const Case cases[] = {
        {hex("1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76"), "greeting [1B 40 00] {}\n"
                                                          "info_request [1B 40 1B 3D 01 1B 5A] {}\n"
                                                          "power_request [1B 60] {}\n"
                                                          "status_request [1B 76] {}\n"},
        {hex("1B 40 1B 76"), "initialize [1B 40] {}\nstatus_request [1B 76] {}\n"},
        {hex("1B 3F 0D 00"),
         R"(magstripe_request [1B 3F 0D 00] {"track_byte":13,"tracks":[1,3]})" "\n"},
        {hex("1D 29 07 01"), R"(set_switch [1D 29 07 01] {"switch":7,"on":1})" "\n"},
        {hex("1B 59 00"), R"(set_density [1B 59 00] {"level":0,"percent":"70"})" "\n"},
        {hex("1B 59 06"), R"(set_density [1B 59 06] {"level":6})" "\n"},
        {hex("1B 78 3C"), R"(set_auto_off [1B 78 3C] {"minutes":60})" "\n"},
        {hex("1B 6C 01"), R"(set_black_mark [1B 6C 01] {"on":1})" "\n"},
        {hex("1B 3E 01"), R"(set_irda_speed [1B 3E 01] {"code":1,"max_bps":57600})" "\n"},
        {hex("1B 53 34"), R"(set_speed [1B 53 34] {"code":4,"bps":19200})" "\n"},
        {hex("1B 5F 1B 53 33 1B 3E 01 1B 2B"),
         R"(total_reset [1B 5F 1B 53 33 1B 3E 01 1B 2B] {"irda_code":1,"irda_max_bps":57600})" "\n"},
        {hex("1B 2B 1B 54 1B 2E 07 0C 0A"), "power_off [1B 2B] {}\nshort_test [1B 54] {}\n"
                                            "long_test [1B 2E] {}\nbeep [07] {}\n"
                                            "find_black_mark [0C] {}\nline_feed [0A] {}\n"},
        {hex("1B 3C") + ascii("x001122AABBCC"),
         R"(bluetooth_address [1B 3C 78 30 30 31 31 32 32 41 41 42 42 43 43] )"
         R"({"record":"x001122AABBCC","address":"001122AABBCC","show_as_barcode":true})" "\n"},
        {hex("1D 2A 01 01 FF"),
         R"(logo_define [1D 2A 01 01 FF] {"width_bytes":1,"height":1,"raster_bytes":1,"fits":true})"
         "\n"},
        {hex("1D 2A 31 01") + repeat(0x55, 49), "logo_define [1D 2A 31 01 " +
                                                    hex_bytes(repeat(0x55, 49)) +
                                                    R"(] {"width_bytes":49,"height":1,)"
                                                    R"("raster_bytes":49,"fits":false})" "\n"},
        {hex("1D 2A 00 00 00 1D 2A 00 00 07"),
         "logo_delete [1D 2A 00 00 00] {}\nlogo_delete [1D 2A 00 00] {}\nbeep [07] {}\n"},
        {hex("1D 2F 03"), R"(logo_print [1D 2F 03] {"mode":3,"mode_name":"double"})" "\n"},
        {hex("1B 4A 50"), R"(feed [1B 4A 50] {"dots":80})" "\n"},
        {hex("1B 25 01 1B 21 01"), R"(set_user_chars [1B 25 01] {"on":1})" "\n"
                                   R"(select_font [1B 21 01] {"value":1,"font":"B"})" "\n"},
        {hex("1B 56 01 1B 7B 01"), R"(set_rotation [1B 56 01] {"value":1})" "\n"
                                   R"(set_upside_down [1B 7B 01] {"on":1})" "\n"},
        {hex("1B 20 02 1D 4C 10 01 1B 33 04"), R"(set_char_spacing [1B 20 02] {"dots":2})" "\n"
                                               R"(set_left_margin [1D 4C 10 01] {"dots":272})" "\n"
                                               R"(set_line_spacing [1B 33 04] {"dots":4})" "\n"},
        {hex("1B 26 30 1B 26 31"),
         R"(font_reset [1B 26 30] {"font":"A"})" "\n" R"(font_reset [1B 26 31] {"font":"B"})" "\n"},
        {hex("1B 26 32 20 21") + repeat(0xF0, 96),
         "font_define [1B 26 32 20 21 " + hex_bytes(repeat(0xF0, 96)) +
             R"(] {"font":"A","first":32,"last":33,"glyphs":2})" "\n"},
        {hex("1B 26 33 41 41") + repeat(0x18, 16) + hex("1B 26 33 42 41 07"),
         "font_define [1B 26 33 41 41 " + hex_bytes(repeat(0x18, 16)) +
             R"(] {"font":"B","first":65,"last":65,"glyphs":1})" "\n"
             R"(font_define [1B 26 33 42 41] {"font":"B","first":66,"last":65,"glyphs":0})" "\n"
             "beep [07] {}\n"},
        {hex("1D 77 03 1D 68 A2 1D 66 01 1D 48 03"),
         R"(set_barcode_width [1D 77 03] {"magnification":3})" "\n"
         R"(set_barcode_height [1D 68 A2] {"dots":162})" "\n"
         R"(set_barcode_font [1D 66 01] {"value":1,"font":"B"})" "\n"
         R"(set_barcode_text_position [1D 48 03] {"position":3,"position_name":"above_and_below"})"
         "\n"},
        {hex("1D 6B 41 0C") + ascii("012345678905"),
         R"(barcode [1D 6B 41 0C 30 31 32 33 34 35 36 37 38 39 30 35] {"symbology":65,)"
         R"("symbology_name":"UPC-A","length":12,"data":"012345678905"})" "\n"},
        {hex("1D 6B 49 05 7B 42 41 42 43"),
         R"(barcode [1D 6B 49 05 7B 42 41 42 43] {"symbology":73,"symbology_name":"CODE128",)"
         R"("length":5,"data":"{BABC","code_set":"B"})" "\n"},
        {ascii("Hi") + hex("B0 0A"),
         R"(text [48 69 B0] {"text":"Hi\u00B0"})" "\nline_feed [0A] {}\n"},
        // What makes no command: unknown runs, resynchronising, commands cut short.
        {hex("01 02 03 1B 71 35 1B 76"),
         "unknown [01 02 03 1B 71] {}\n" R"(text [35] {"text":"5"})" "\nstatus_request [1B 76] {}\n"},
        {hex("1B 5F 1B 53 34 07"),
         "unknown [1B 5F] {}\n" R"(set_speed [1B 53 34] {"code":4,"bps":19200})" "\nbeep [07] {}\n"},
        {hex("1B 1B 40 00 1B 07"), "unknown [1B] {}\ngreeting [1B 40 00] {}\nunknown [1B] {}\n"
                                   "beep [07] {}\n"},
        {hex("1B 3F 0F 01 1B 76"), "unknown [1B 3F 0F 01] {}\nstatus_request [1B 76] {}\n"},
        {repeat(0x01, 257) + repeat('A', 257),
         "unknown [" + hex_bytes(repeat(0x01, 256)) + "] {}\nunknown [01] {}\n" +
             R"(text [)" + hex_bytes(repeat('A', 256)) + R"(] {"text":")" + std::string(256, 'A') +
             "\"}\n" + R"(text [41] {"text":"A"})" "\n"},
        {hex("1B 76 1D 2A 02 02 01"), "status_request [1B 76] {}\ntruncated [1D 2A 02 02 01] {}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(hex_bytes(c.stream));
        EXPECT_EQ(parsed(c.stream), c.commands);
    }
}

} // namespace
} // namespace tq350::sim
