// The paper and pictures the printer makes, through a session printing into a folder with the
// resident fonts of Debian's console-setup-linux, compared with the golden pages.

#include "golden.h"
#include "png_file.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tq350::sim {
namespace {

using namespace test;
using namespace std::string_literals;
namespace fs = std::filesystem;

const ResidentFonts& resident_fonts() {
    static const ResidentFonts fonts = [] {
        ResidentFonts f;
        std::string error;
        EXPECT_TRUE(load_resident_fonts(console_font_dir, f, error)) << error;
        return f;
    }();
    return fonts;
}

// A printer printing into `dir`.
struct PaperRun : SessionRun {
    PaperRun(const std::string& dir, const Profile& profile = default_profile())
        : SessionRun(profile), paper(dir, resident_fonts(), log) {
        std::string error;
        EXPECT_TRUE(paper.prepare(error)) << error;
        session.set_paper(&paper);
    }
    PaperOutput paper;
};

// What the program sends for the logo preview of a 24 x 8 logo, then the logo 3 dots in,
// black, and cut off at the paper's edge.
inline Bytes logo_page() {
    auto caption = [](const char* mode) {
        return ascii(std::string("\nPreview LOGO '") + mode + "':\n");
    };
    return hex("1D 2A 03 08 01 00 80 03 00 40 07 18 20 0F 3C 10 1F 7E 08 3F FF 04 7F 00 02 FF 81 01"
               "1B 25 00 1B 21 01") +
           caption("Normal 203x203 DPI") + hex("1D 2F 00") + caption("Double width 101x203 DPI") +
           hex("1D 2F 01") + caption("Double height 203x101 DPI") + hex("1D 2F 02") +
           caption("Double W/H 101x101 DPI") +
           hex("1D 2F 03 1D 4C 03 00 1D 2F 00 1B 59 05 1D 2F 03") +
           hex("1D 4C 72 01 1D 2F 01 1B 4A 50");
}

Bytes every_code() {
    Bytes codes;
    for (int c = 0x20; c <= 0xFF; ++c)
        codes.push_back(static_cast<std::uint8_t>(c));
    return codes;
}

Bytes barcode(std::uint8_t symbology, std::string_view data) {
    return Bytes{0x1D, 0x6B, symbology, static_cast<std::uint8_t>(data.size())} + ascii(data);
}

TEST(GoldenPage, EachKindOfPrintMatchesItsGolden) {
    Profile self_test = default_profile();
    self_test.features_27 |= 0x20; // Fahrenheit
    self_test.status = 0x40;
    self_test.temperature = 77;
    self_test.switches = 0x05;
    // Downloaded B and C of font B and code 127 of font A, the test print as the program sends
    // it in both fonts, then ESC % 0 and every text setting.
    Bytes text = hex("1B 26 31 1B 26 33 42 43 00 00 18 24 42 42 42 7E 42 42 42 42 00 00 00 00"
                     "80 C0 E0 F0 F8 FC FE FF 01 03 07 0F 1F 3F 7F FF 1B 26 32 7F 7F") +
                 repeat(0xE1, 24) + repeat(0x07, 24) +
                 hex("1B 4A 22 1B 25 01 1B 56 00 1B 7B 00 1B 20 00 1D 4C 00 00 1B 33 00"
                     "1B 21 01") +
                 every_code() + hex("0A 1B 21 00") + every_code() +
                 hex("0A 1B 25 00 1B 21 01 42 43 0A 4C 1B 21 00 49 1B 21 01 4C 0A") +
                 hex("1B 20 03 1D 4C 05 00 4C 4C 4C 0A 1B 20 00 1D 4C 00 00 1B 33 04") +
                 hex("1B 21 00") + repeat('W', 40) + hex("0A 0A 1B 21 01 0A 1B 33 00") +
                 hex("1B 56 01") + ascii("Turned\n") + hex("1B 56 00 1B 7B 01") +
                 ascii("Upside down\n") + hex("1B 7B 00");
    for (std::uint8_t level = 0; level <= 6; ++level)
        text = text + Bytes{0x1B, 0x59, level} + ascii("Density\n");
    text = text + hex("1B 4A 00 1B 4A 0A") + ascii("Tail");
    // The twelve kinds the program offers and the data variants each takes, in every style, with
    // the quiet zone a scanner needs.
    const Bytes barcodes =
        hex("1D 77 02 1D 68 18 1D 66 01 1D 48 02 1D 4C 18 00") + barcode(0x41, "01234567890") +
        barcode(0x41, "012345678905") + barcode(0x42, "0123456") + barcode(0x42, "123456") +
        barcode(0x42, "01234565") + hex("1D 48 01") + barcode(0x43, "401234567890") +
        barcode(0x43, "4012345678901") + barcode(0x44, "1234567") + barcode(0x44, "12345670") +
        hex("1D 48 03 1D 66 00") + barcode(0x45, "A-1 $/+%.") + hex("1D 77 01") +
        barcode(0x46, "12345678") + hex("1D 77 03 1D 48 00") + barcode(0x47, "A40156B") +
        hex("1B 4A 08 1D 77 02 1D 48 02 1D 66 01 1D 4C 20 00") + barcode(0x48, "Code 93!") +
        barcode(0x49, "Hello 128") + barcode(0x49, "{AHELLO\t") + barcode(0x49, "{Babc") +
        hex("1B 59 05") + barcode(0x49, "{C123456");
    // The test pages leave the user's settings alone; the address shows as a barcode only
    // after a lower-case x.
    const Bytes test_pages = hex("1B 21 01 1B 56 01 1B 7B 01 1B 33 08 1B 20 02 1D 4C 10 00") +
                             hex("1B 59 01 1D 29 08 01 1B 3C") + ascii("X0012AB34CD56") +
                             hex("1B 54 1B 3C") + ascii("x0012AB34CD56") + hex("1B 2E");
    struct Case {
        const char* name;
        Bytes stream;
        std::vector<const char*> files;
        Profile profile = default_profile();
    };
    const Case cases[] = {
        {"logo", logo_page(), {"paper-0001.png", "logo.png"}},
        {"text", text, {"paper-0001.png", "font-a.png", "font-b.png"}},
        {"barcodes", barcodes, {"paper-0001.png"}},
        {"self-test", test_pages, {"paper-0001.png"}, self_test},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchDir dir;
        PaperRun(dir.path(), c.profile).connection(c.stream);
        for (const char* file : c.files)
            EXPECT_EQ(golden_difference(dir / file, std::string(c.name) + "-" + file), "");
    }
}

// Printing commands that print nothing say why in the journal, and the paper does not move.
TEST(GoldenPage, NotesWhyNothingPrinted) {
    const Bytes everything = ascii("L\n") + hex("1B 4A 50 1D 2A 01 01 FF 1D 2F 00") +
                             barcode(0x49, "ABC") + hex("1B 54 1B 2E");
    struct Case {
        std::uint8_t status;
        Bytes stream;
        const char* note;
    };
    const Case cases[] = {
        {0, hex("1D 2F 00"), "no logo stored: nothing printed"},
        {0, hex("1D 2A 31 01") + repeat(0xFF, 49) + hex("1D 2F 00"), "no logo stored"},
        {0, hex("1D 2A 01 01 FF 1D 2F 04"), "no such logo mode: nothing printed"},
        {0x04, everything, "out of paper: nothing printed"},
        {0x08, everything, "head too hot: nothing printed"},
        {0, hex("1B 2B 49 0A 1D 2A 01 01 FF 1D 2F 00"), "printer is off until the port is closed"},
        {0, barcode(0x41, "012345678901"), "rejected: Error 270: Invalid check digit '1'"},
        {0, hex("1D 77 02 1D 4C 2C 01") + barcode(0x49, "ABC"),
         "rejected: 136 dots wide, from dot 300"},
    };
    const ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        Profile profile = default_profile();
        profile.status = c.status;
        PaperRun run(dir.path(), profile);
        const std::string journal = run.connection(c.stream).journal();
        EXPECT_NE(journal.find(R"("note":")" + std::string(c.note)), std::string::npos) << journal;
        EXPECT_FALSE(fs::exists(dir / "paper-0001.png"));
    }
}

TEST(GoldenPage, FilesAndJournalLinesOfTheOutputTray) {
    const ScratchDir dir;
    for (const char* name : {"paper-0007.png", "logo.png", "font-a.png", "notes.txt"})
        std::ofstream(dir / name) << "x";
    PaperRun run(dir.path());
    EXPECT_FALSE(fs::exists(dir / "paper-0007.png")) << "an earlier run's files go";
    EXPECT_FALSE(fs::exists(dir / "logo.png"));
    EXPECT_TRUE(fs::exists(dir / "notes.txt")) << "other files stay";
    run.connection(hex("1B 40 00 1B 40 1B 3D 01 1B 5A 1D 2A 02 01 01 80 1B 26 30"));
    run.connection(ascii("I\n")).connection(hex("1D 2A 00 00 00"));
    Bytes feeds;
    for (int i = 0; i < 66; ++i)
        feeds = feeds + hex("1B 4A FF");
    run.connection(feeds);
    const std::string journal = run.journal();
    for (const std::string& line :
         {R"("name":"paper","conn":2,"file":")" + dir.path() +
              R"(/paper-0001.png","length_dots":24})",
          R"("name":"logo_image","conn":3,"file":")" + dir.path() + R"(/logo.png","removed":true})",
          // A page passing 16384 dots is cut after the feed that passed it.
          R"("name":"paper","conn":4,"file":")" + dir.path() +
              R"(/paper-0002.png","length_dots":16575})",
          R"("name":"paper","conn":4,"file":")" + dir.path() +
              R"(/paper-0003.png","length_dots":255})"})
        EXPECT_NE(journal.find(line), std::string::npos) << line << "\n" << journal;
    EXPECT_FALSE(fs::exists(dir / "logo.png"));
    // Marked 203 dpi: pHYs, 7992 dots a metre across and down, the unit being the metre.
    std::ifstream page(dir / "paper-0001.png", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(page), {}};
    EXPECT_NE(bytes.find("pHYs\x00\x00\x1F\x38\x00\x00\x1F\x38\x01"s), std::string::npos);

    Journal quiet(nullptr, {});
    std::string error;
    EXPECT_FALSE(PaperOutput(dir / "notes.txt", resident_fonts(), quiet).prepare(error));
}

} // namespace
} // namespace tq350::sim
