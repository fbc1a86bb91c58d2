// The paper and pictures the printer makes, through a session printing into a folder with the
// resident fonts of Debian's console-setup-linux, compared with the golden pages; and fonts that
// cannot be used. How the installed ones map into the code page shows on the golden pages, which
// print every code in both fonts.

#include "console_font.h"
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

Bytes barcode(std::uint8_t symbology, std::string_view data) {
    return Bytes{0x1D, 0x6B, symbology, static_cast<std::uint8_t>(data.size())} + ascii(data);
}

// Each kind of print has its stream beside its golden pages, golden/KIND.bin, written once from
// what the program sends:
// - logo: the logo preview of a 24 x 8 logo, then the logo 3 dots in, black, and cut off at the
//   paper's edge;
// - text: downloaded B and C of font B and code 127 of font A, the test print as the program
//   sends it in both fonts, then ESC % 0 and every text setting, every density level;
// - barcodes: the twelve kinds the program offers and the data variants each takes, in every
//   style, with the quiet zone a scanner needs;
// - self-test: the test pages, which leave the user's settings alone; the address shows as a
//   barcode only after a lower-case x. Printed by a printer in Fahrenheit, with a low battery,
//   at 77 degrees and switches 1 and 3 on.
TEST(GoldenPage, EachKindOfPrintMatchesItsGolden) {
    Profile self_test = default_profile();
    self_test.features_27 |= 0x20;
    self_test.status = 0x40;
    self_test.temperature = 77;
    self_test.switches = 0x05;
    struct Case {
        const char* name;
        std::vector<const char*> files;
        Profile profile = default_profile();
    };
    const Case cases[] = {
        {"logo", {"paper-0001.png", "logo.png"}},
        {"text", {"paper-0001.png", "font-a.png", "font-b.png"}},
        {"barcodes", {"paper-0001.png"}},
        {"self-test", {"paper-0001.png"}, self_test},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ifstream in(std::string(TQ350_GOLDEN_DIR) + "/" + c.name + ".bin", std::ios::binary);
        const Bytes stream{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(stream.empty());
        const ScratchDir dir;
        PaperRun(dir.path(), c.profile).connection(stream);
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
    EXPECT_FALSE(fs::exists(dir / "paper-0007.png") || fs::exists(dir / "logo.png"))
        << "an earlier run's files go";
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

TEST(ConsoleFont, SaysWhyAFontCannotBeUsed) {
    // A PSF 2 header for two 12 x 24 glyphs of 48 bytes, and only 68 bytes after it.
    const Bytes psf2_cut = hex("72 B5 4A 86 00 00 00 00 20 00 00 00 01 00 00 00"
                               "02 00 00 00 30 00 00 00 18 00 00 00 0C 00 00 00") +
                           repeat(0x80, 68);
    const ScratchDir dir;
    std::ofstream(dir / "f.psf", std::ios::binary)
        .write(reinterpret_cast<const char*>(psf2_cut.data()),
               static_cast<std::streamsize>(psf2_cut.size()));
    GlyphSet font;
    std::string error;
    EXPECT_FALSE(load_console_font(dir / "f.psf", 12, 24, font, error));
    EXPECT_NE(error.find("the glyphs run past the end of the file"), std::string::npos) << error;
    ResidentFonts fonts;
    EXPECT_FALSE(load_resident_fonts(dir.path(), fonts, error));
    EXPECT_NE(error.find("console-setup-linux"), std::string::npos) << error;
}

} // namespace
} // namespace tq350::sim
