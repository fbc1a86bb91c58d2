#include "command_parser.h"
#include "paper_support.h"
#include "printout.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace tq350::sim {
namespace {

using test::ascii;
using test::Bytes;
using test::hex;
using test::operator+;
using test::repeat;
using test::Rows;
using test::window;

// Resident fonts with a few plain glyphs, so that the expected dots can be written out.
ResidentFonts test_fonts() {
    ResidentFonts f;
    f.a = {font_a_width, font_a_height, {}};
    f.b = {font_b_width, font_b_height, {}};
    // Font A "I": a full top row over the left column.
    for (int y = 0; y < font_a_height; ++y) {
        f.a.glyphs['I'].push_back(y == 0 ? 0xFF : 0x80);
        f.a.glyphs['I'].push_back(y == 0 ? 0xF0 : 0x00);
    }
    // Font B "L": the left column over a full bottom row; "A": a solid block.
    f.b.glyphs['L'] = repeat(0x80, 15) + hex("FF");
    f.b.glyphs['A'] = repeat(0xFF, 16);
    return f;
}

const ResidentFonts fonts = test_fonts();

// Runs a stream through parser and printer onto the paper; returns the notes of what did not
// print.
std::vector<std::string> print(Printer& printer, Printout& printout, const Bytes& stream) {
    CommandParser parser;
    auto commands = parser.feed(stream);
    const auto rest = parser.finish();
    commands.insert(commands.end(), rest.begin(), rest.end());
    std::vector<std::string> notes;
    for (const Command& c : commands)
        if (printer.handle(c).note.empty())
            if (std::string note = printout.print(c, printer); !note.empty())
                notes.push_back(note);
    return notes;
}

TEST(Printout, PrintsTheLogoInItsFourModesDotForDot) {
    // Row 0: dot 0 (bit 0 of the first byte) and dot 15 (bit 7 of the second); row 1: dots 1
    // and 2.
    const Bytes logo = hex("1D 2A 02 02 01 80 06 00");
    struct Case {
        const char* name;
        const char* commands;
        int length;
        Rows dots; // the paper's first 36 columns
    };
    const Case cases[] = {
        {"normal",
         "1D 2F 00",
         2,
         {"#..............#....................", ".##.................................",
          "....................................", "...................................."}},
        {"double width",
         "1D 2F 01",
         2,
         {"##............................##....", "..####..............................",
          "....................................", "...................................."}},
        {"double height",
         "1D 2F 02",
         4,
         {"#..............#....................", "#..............#....................",
          ".##.................................", ".##................................."}},
        {"double width and height",
         "1D 2F 03",
         4,
         {"##............................##....", "##............................##....",
          "..####..............................", "..####.............................."}},
        {"normal, 3 dots from the left margin",
         "1D 4C 03 00 1D 2F 00",
         2,
         {"...#..............#.................", "....##..............................",
          "....................................", "...................................."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        EXPECT_TRUE(print(printer, printout, logo + hex(c.commands)).empty());
        EXPECT_EQ(printout.paper().length(), c.length);
        EXPECT_EQ(window(printout.paper().image(), 0, 0, 36, 4), c.dots);
    }
}

TEST(Printout, CutsTheLogoAtThePapersEdge) {
    Printer printer(default_profile());
    Printout printout(fonts);
    // 48 bytes a row, every dot set: 384 dots, 768 in double width.
    print(printer, printout, hex("1D 2A 30 01") + repeat(0xFF, 48) + hex("1D 2F 03"));
    EXPECT_EQ(printout.paper().image().width, 384);
    EXPECT_EQ(window(printout.paper().image(), 380, 0, 4, 3), (Rows{"####", "####", "...."}));
}

TEST(Printout, NotesALogoPrintThatHasNothingToPrint) {
    struct Case {
        const char* name;
        const char* commands;
        const char* note;
    };
    const Case cases[] = {
        {"no logo stored", "1D 2F 00", "no logo stored: nothing printed"},
        {"logo deleted", "1D 2A 01 01 FF 1D 2A 00 00 00 1D 2F 00",
         "no logo stored: nothing printed"},
        {"mode 4", "1D 2A 01 01 FF 1D 2F 04", "no such logo mode: nothing printed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        EXPECT_EQ(print(printer, printout, hex(c.commands)), std::vector<std::string>{c.note});
        EXPECT_EQ(printout.paper().length(), 0);
    }
}

TEST(Printout, MovesThePaperByTheRightNumberOfDots) {
    struct Case {
        const char* name;
        Bytes commands;
        int length;
    };
    const Case cases[] = {
        {"ESC J 80", hex("1B 4A 50"), 80},
        {"ESC J 0", hex("1B 4A 00"), 0},
        {"empty line in font A", hex("0A"), 24},
        {"empty line in font B", hex("1B 21 01 0A"), 16},
        {"line spacing after each line", hex("1B 33 04 0A 0A"), 56},
        {"a line of text", ascii("I\n"), 24},
        {"text ended by ESC J", ascii("I") + hex("1B 4A 0A"), 34},
        {"a font B line under a font A line", ascii("I\n") + hex("1B 21 01") + ascii("L\n"), 40},
        {"the tallest character makes the line",
         hex("1B 21 01") + ascii("L") + hex("1B 21 00") + ascii("I\n"), 24},
        {"characters turned a quarter", hex("1B 56 01") + ascii("I\n"), 12},
        {"32 characters of font A fit a line", repeat('I', 32) + ascii("\n"), 24},
        {"the 33rd starts a new line", repeat('I', 33) + ascii("\n"), 48},
        {"48 characters of font B fit a line", hex("1B 21 01") + repeat('L', 48) + ascii("\n"), 16},
        {"the 49th starts a new line", hex("1B 21 01") + repeat('L', 49) + ascii("\n"), 32},
        {"a wrap feeds the line spacing", hex("1B 33 02") + repeat('I', 33) + ascii("\n"), 52},
        {"4 dots of spacing: 24 characters fit", hex("1B 20 04") + repeat('I', 24) + ascii("\n"),
         24},
        {"4 dots of spacing: the 25th wraps", hex("1B 20 04") + repeat('I', 25) + ascii("\n"), 48},
        {"100 dots of margin: 23 characters fit",
         hex("1D 4C 64 00") + repeat('I', 23) + ascii("\n"), 24},
        {"100 dots of margin: the 24th wraps", hex("1D 4C 64 00") + repeat('I', 24) + ascii("\n"),
         48},
        {"logo in double height, then ESC J 80", hex("1D 2A 01 03 FF FF FF 1D 2F 02 1B 4A 50"), 86},
        {"text waits for its line end", ascii("I"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        print(printer, printout, c.commands);
        EXPECT_EQ(printout.paper().length(), c.length);
    }
}

TEST(Printout, PrintsTheWaitingLineWhenTheConnectionEnds) {
    Printer printer(default_profile());
    Printout printout(fonts);
    print(printer, printout, ascii("I"));
    printout.end_line(printer);
    EXPECT_EQ(printout.paper().length(), 24);
    EXPECT_EQ(window(printout.paper().image(), 0, 0, 14, 2),
              (Rows{"############..", "#............."}));
}

TEST(Printout, TakesDownloadedCharactersOnlyWhenSwitchedToThem) {
    // Font B "L" downloaded as a bar across the top.
    const Bytes define_b_l = hex("1B 26 33 4C 4C FF") + repeat(0x00, 15);
    const Rows resident{"#.......", "########"};
    const Rows downloaded{"########", "........"};
    struct Case {
        const char* name;
        Bytes commands;
        Rows top_and_bottom_rows;
    };
    const Case cases[] = {
        {"resident", hex("1B 21 01 4C 0A"), resident},
        {"downloaded, not switched to", define_b_l + hex("1B 21 01 4C 0A"), resident},
        {"downloaded and ESC % 1", define_b_l + hex("1B 25 01 1B 21 01 4C 0A"), downloaded},
        {"ESC % 0 again", define_b_l + hex("1B 25 01 1B 25 00 1B 21 01 4C 0A"), resident},
        {"a code never downloaded prints the resident one",
         hex("1B 26 33 4D 4D FF") + repeat(0x00, 15) + hex("1B 25 01 1B 21 01 4C 0A"), resident},
        {"downloaded in font A, printed in font B",
         hex("1B 26 32 4C 4C") + repeat(0xFF, 48) + hex("1B 25 01 1B 21 01 4C 0A"), resident},
        {"font B reset", define_b_l + hex("1B 26 31 1B 25 01 1B 21 01 4C 0A"), resident},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        print(printer, printout, c.commands);
        ASSERT_EQ(printout.paper().length(), 16);
        const GrayImage& paper = printout.paper().image();
        EXPECT_EQ((Rows{window(paper, 0, 0, 8, 1)[0], window(paper, 0, 15, 8, 1)[0]}),
                  c.top_and_bottom_rows);
    }
}

TEST(Printout, SpacesCharactersFromTheLeftMargin) {
    Printer printer(default_profile());
    Printout printout(fonts);
    print(printer, printout, hex("1B 21 01 1B 20 02 1D 4C 05 00") + ascii("LLL\n"));
    EXPECT_EQ(window(printout.paper().image(), 0, 15, 34, 1),
              (Rows{".....########..########..########."}));
}

TEST(Printout, TurnsCharactersAndLines) {
    struct Case {
        const char* name;
        const char* commands;
        int length;
        int x;
        Rows dots;
    };
    const Case cases[] = {
        {"ESC V 1: a quarter turn clockwise",
         "1B 21 01 1B 56 01 4C 0A",
         8,
         0,
         {"################.", "#................", "#................", "#................",
          "#................", "#................", "#................", "#................",
          "................."}},
        {"ESC { 1: the line upside down, at the right-hand edge",
         "1B 21 01 1B 7B 01 4C 0A",
         16,
         374,
         {"..########", ".........#", ".........#"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        print(printer, printout, hex(c.commands));
        EXPECT_EQ(printout.paper().length(), c.length);
        EXPECT_EQ(window(printout.paper().image(), c.x, 0, static_cast<int>(c.dots[0].size()),
                         static_cast<int>(c.dots.size())),
                  c.dots);
    }
}

TEST(Printout, ShadesDotsByTheDensity) {
    struct Case {
        const char* name;
        const char* density;
        std::uint8_t gray;
    };
    const Case cases[] = {
        {"70 %", "1B 59 00", 112}, {"80 %", "1B 59 01", 80},
        {"90 %", "1B 59 02", 56},  {"100 %", "1B 59 03", 32},
        {"120 %", "1B 59 04", 16}, {"150 %", "1B 59 05", 0},
        {"default", "", 32},       {"no level 6: 70 % stays", "1B 59 00 1B 59 06", 112},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printer printer(default_profile());
        Printout printout(fonts);
        print(printer, printout, hex(c.density) + hex("1B 21 01") + ascii("L\n"));
        EXPECT_EQ(test::gray_at(printout.paper().image(), 0, 15), c.gray);
        EXPECT_EQ(test::gray_at(printout.paper().image(), 1, 14), white);
    }
}

TEST(Printout, ChangesDensityForTheLinesAfterIt) {
    Printer printer(default_profile());
    Printout printout(fonts);
    print(printer, printout,
          hex("1B 21 01 1B 59 00") + ascii("L\n") + hex("1B 59 05") + ascii("L\n"));
    EXPECT_EQ(test::gray_at(printout.paper().image(), 0, 15), 112);
    EXPECT_EQ(test::gray_at(printout.paper().image(), 0, 31), 0);
}

TEST(Printout, PrintsNothingOutOfPaperOrWithAHotHead) {
    const Bytes everything = ascii("L\n") + hex("1B 4A 50 1D 2A 01 01 FF 1D 2F 00") +
                             hex("1D 6B 49 03") + ascii("ABC") + hex("1B 54 1B 2E");
    struct Case {
        const char* name;
        std::uint8_t status;
        int length;
        const char* note; // of each of the seven printing commands
    };
    const Case cases[] = {
        {"out of paper", 0x04, 0, "out of paper: nothing printed"},
        {"head over heat", 0x08, 0, "head too hot: nothing printed"},
        {"both", 0x0C, 0, "out of paper: nothing printed"},
        {"a low battery still prints", 0x40, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile profile = default_profile();
        profile.status = c.status;
        Printer printer(profile);
        Printout printout(fonts);
        const auto notes = print(printer, printout, everything);
        if (c.length == 0) {
            EXPECT_EQ(printout.paper().length(), 0);
            EXPECT_EQ(notes, std::vector<std::string>(7, c.note));
        } else {
            EXPECT_GT(printout.paper().length(), 200);
            EXPECT_TRUE(notes.empty());
        }
    }
}

TEST(Printout, DrawsBarcodesWithMagnificationHeightAndText) {
    // CODE 128 "ABC": start B (11010010000), A, B, C, check, stop (1100011101011): 68 modules.
    const Bytes abc = ascii("ABC");
    struct Case {
        const char* name;
        BarcodeStyle style;
        int length;
        int x, y;
        Rows dots;
    };
    const Case cases[] = {
        {"start B, 2 dots a module", {2, 10, 0, false, 0}, 10, 0, 0, {"####..##....##........##"}},
        {"stop ends at dot 135 with 2 dots a module", {2, 10, 0, false, 0}, 10, 132, 0, {"####.."}},
        {"stop ends at dot 203 with 3", {3, 10, 0, false, 0}, 10, 198, 0, {"######.."}},
        {"1 dot a module", {1, 10, 0, false, 0}, 10, 0, 0, {"##.#..#....#"}},
        {"bars as high as asked", {2, 10, 0, false, 0}, 10, 0, 9, {"##", ".."}},
        {"20 dots in", {2, 10, 0, false, 20}, 10, 18, 0, {"..####..##"}},
        {"font B text below, centred: A at dot 56",
         {2, 10, 2, true, 0},
         26,
         54,
         10,
         {"..########..", "..########.."}},
        {"font B text above", {2, 10, 1, true, 0}, 26, 54, 15, {"..########..", "..####......"}},
        {"font B text above and below",
         {2, 10, 3, true, 0},
         42,
         54,
         25,
         {"..####......", "..########.."}},
        {"font A text above and below", {2, 10, 3, false, 0}, 58, 0, 23, {"..", "##"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printout printout(fonts);
        EXPECT_EQ(printout.print_barcode(0x49, abc, c.style, 0), "");
        EXPECT_EQ(printout.paper().length(), c.length);
        EXPECT_EQ(window(printout.paper().image(), c.x, c.y, static_cast<int>(c.dots[0].size()),
                         static_cast<int>(c.dots.size())),
                  c.dots);
    }
}

TEST(Printout, TakesTheBarcodeSettingsOfTheGsCommands) {
    Printer printer(default_profile());
    Printout printout(fonts);
    // Magnification 2, 10 dots high, font B text below, 20 dots in.
    EXPECT_TRUE(
        print(printer, printout,
              hex("1D 77 02 1D 68 0A 1D 66 01 1D 48 02 1D 4C 14 00 1D 6B 49 03") + ascii("ABC"))
            .empty());
    EXPECT_EQ(printout.paper().length(), 26);
    EXPECT_EQ(window(printout.paper().image(), 18, 0, 10, 1), (Rows{"..####..##"}));
    EXPECT_EQ(window(printout.paper().image(), 74, 10, 12, 1), (Rows{"..########.."}));
}

TEST(Printout, RejectsDataTheSymbologyDoesNotTake) {
    struct Case {
        const char* name;
        std::uint8_t symbology;
        Bytes data;
        const char* reason; // "" when it prints
        BarcodeStyle style = {2, 20, 0, false, 0};
    };
    const Case cases[] = {
        {"UPC-A, 11 digits", 0x41, ascii("01234567890"), ""},
        {"UPC-A, 12 digits", 0x41, ascii("012345678905"), ""},
        {"UPC-A, 10 digits", 0x41, ascii("0123456789"), "UPC-A takes 11 digits"},
        {"UPC-A, a letter", 0x41, ascii("0123456789A"), "UPC-A takes 11 digits"},
        {"UPC-A, wrong check digit", 0x41, ascii("012345678901"), "check digit"},
        {"UPC-E, 6 digits", 0x42, ascii("123456"), ""},
        {"UPC-E, number system 1 and 6 digits", 0x42, ascii("1234567"), ""},
        {"UPC-E, with its check digit", 0x42, ascii("01234565"), ""},
        {"UPC-E, number system 2", 0x42, ascii("2234567"), "UPC-E takes"},
        {"UPC-E, 5 digits", 0x42, ascii("12345"), "UPC-E takes"},
        {"EAN13, 12 digits", 0x43, ascii("401234567890"), ""},
        {"EAN13, 13 digits", 0x43, ascii("4012345678901"), ""},
        {"EAN13, 11 digits", 0x43, ascii("40123456789"), "EAN13 takes 12 digits"},
        {"EAN8, 7 digits", 0x44, ascii("1234567"), ""},
        {"EAN8, 8 digits", 0x44, ascii("12345670"), ""},
        {"EAN8, 6 digits", 0x44, ascii("123456"), "EAN8 takes 7 digits"},
        {"CODE 39", 0x45, ascii("TQ-350 $/+%."), ""},
        {"CODE 39, lower case", 0x45, ascii("tq"), "CODE 39 takes digits, capitals"},
        {"CODE 39, an asterisk", 0x45, ascii("A*B"), "CODE 39 takes digits, capitals"},
        {"ITF, 8 digits", 0x46, ascii("12345678"), ""},
        {"ITF, 5 digits", 0x46, ascii("12345"), "ITF takes an even number of digits"},
        {"CODABAR", 0x47, ascii("A40156B"), ""},
        {"CODABAR, no start and stop", 0x47, ascii("40156"), "CODABAR takes"},
        {"CODABAR, a letter inside", 0x47, ascii("A40X56B"), "CODABAR takes"},
        {"CODE 93, full ASCII", 0x48, ascii("Code 93!"), ""},
        {"CODE 93, byte 0x80", 0x48, hex("41 80"), "CODE 93 takes ASCII only"},
        {"CODE 128", 0x49, ascii("Hello"), ""},
        {"CODE 128, byte 0xC9", 0x49, hex("41 C9"), "CODE 128 takes ASCII only"},
        {"CODE 128-A with a control character", 0x49, ascii("{AHI") + hex("09"), ""},
        {"CODE 128-A, lower case", 0x49, ascii("{Ahi"), "code set A has no lower-case"},
        {"CODE 128-B", 0x49, ascii("{Babc"), ""},
        {"CODE 128-B, a control character", 0x49, ascii("{B") + hex("09"),
         "code set B has no control"},
        {"CODE 128-C, 6 digits", 0x49, ascii("{C123456"), ""},
        {"CODE 128-C, 5 digits", 0x49, ascii("{C12345"), "code set C takes pairs of digits"},
        {"CODE 128, a code set and nothing else", 0x49, ascii("{B"), "a code set and no data"},
        {"no data", 0x49, {}, "no data"},
        {"symbology 0x4A", 0x4A, ascii("123"), "no such symbology"},
        {"symbology 0x40", 0x40, ascii("123"), "no such symbology"},
        {"too wide: 68 modules of 6 dots",
         0x49,
         ascii("ABC"),
         "408 dots wide",
         {6, 20, 0, false, 0}},
        {"too wide from dot 300", 0x49, ascii("ABC"), "from dot 300", {2, 20, 0, false, 300}},
        {"magnification 0", 0x49, ascii("ABC"), "magnification 0", {0, 20, 0, false, 0}},
        {"magnification 7", 0x49, ascii("ABC"), "magnification 7", {7, 20, 0, false, 0}},
        {"0 dots high", 0x49, ascii("ABC"), "0 dots high", {2, 0, 0, false, 0}},
        {"text position 4", 0x49, ascii("ABC"), "text position 4", {2, 20, 4, false, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printout printout(fonts);
        const std::string note = printout.print_barcode(c.symbology, c.data, c.style, 0);
        if (*c.reason == '\0') {
            EXPECT_EQ(note, "");
            EXPECT_EQ(printout.paper().length(), 20);
        } else {
            EXPECT_EQ(note.rfind("rejected: ", 0), 0u) << note;
            EXPECT_NE(note.find(c.reason), std::string::npos) << note;
            EXPECT_EQ(printout.paper().length(), 0);
        }
    }
}

TEST(Printout, PrintsTheSelfTestWithItsOwnSettings) {
    Profile profile = default_profile();
    Printer printer(profile);
    Printout printout(fonts);
    // Font B, turned, upside down, 8 dots of spacing: none of it reaches the test page.
    print(printer, printout, hex("1B 21 01 1B 56 01 1B 7B 01 1B 33 08 1B 54"));
    const int short_length = printout.paper().length();
    // A title line in font A, seven lines in font B, then 80 dots of paper.
    EXPECT_EQ(short_length, 24 + 7 * 16 + 80);

    Printout long_printout(fonts);
    print(printer, long_printout, hex("1B 2E"));
    // Then for each font a blank font B line, a caption in font B and the 224 codes: 7 lines
    // of 32 in font A, 5 of 48 in font B.
    EXPECT_EQ(long_printout.paper().length(), short_length + 16 + 16 + 7 * 24 + 16 + 16 + 5 * 16);
}

TEST(Printout, ShowsTheBluetoothAddressAsABarcodeWhenItsRecordAllows) {
    struct Case {
        const char* record;
        int extra; // over a page without a Bluetooth line
    };
    const Case cases[] = {
        {"X0012AB34CD56", 16},
        // The address in CODE 128 under 48 dots of bars, and its text in font B.
        {"x0012AB34CD56", 16 + 48 + 16},
    };
    Printer plain(default_profile());
    Printout plain_printout(fonts);
    print(plain, plain_printout, hex("1B 54"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        Printer printer(default_profile());
        Printout printout(fonts);
        print(printer, printout, hex("1B 3C") + ascii(c.record) + hex("1B 54"));
        EXPECT_EQ(printout.paper().length(), plain_printout.paper().length() + c.extra);
    }
}

// Mostly command letters of the printing commands and their settings, so that random sizes,
// margins, modes and barcode data reach the paper.
TEST(Printout, SurvivesRandomCommands) {
    const Bytes alphabet = hex("1B 1D 0A 21 25 26 2A 2F 20 33 4A 4C 56 7B 59 6B 77 68 48 66 30 32"
                               "41 49 4C 7B 42 43 FF 00 01 03");
    std::mt19937 random(203);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() + 4);
    Bytes stream;
    for (int i = 0; i < 40000; ++i) {
        const std::size_t k = pick(random);
        stream.push_back(k < alphabet.size() ? alphabet[k] : static_cast<std::uint8_t>(random()));
    }
    Printer printer(default_profile());
    Printout printout(fonts);
    print(printer, printout, stream);
    printout.end_line(printer);
    const GrayImage& paper = printout.paper().image();
    EXPECT_GT(paper.height, 10000) << "the stream is meant to reach the paper";
    EXPECT_EQ(paper.width, 384);
    EXPECT_EQ(paper.gray.size(), static_cast<std::size_t>(384) * paper.height);
}

} // namespace
} // namespace tq350::sim
