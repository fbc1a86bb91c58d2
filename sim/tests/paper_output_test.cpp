#include "paper_output.h"
#include "paper_support.h"
#include "png_file.h"
#include "session.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tq350::sim {
namespace {

using test::ascii;
using test::Bytes;
using test::hex;
using test::operator+;
using test::repeat;
using test::Rows;
using test::window;
namespace fs = std::filesystem;

class TempDir : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tq350-paper-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }

    Bytes file_bytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir_;
};

using PngFile = TempDir;

TEST_F(PngFile, KeepsEveryGrayAndThePrintersResolution) {
    const GrayImage image{3, 2, {0, 128, 255, 32, 112, 255}};
    const std::string path = dir_ + "/gray.png";
    std::string error;
    ASSERT_TRUE(write_png(path, image, error)) << error;
    GrayImage back;
    ASSERT_TRUE(test::read_png(path, back));
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.gray, image.gray);
    // pHYs: 7992 dots per metre across and down, the unit being the metre.
    const Bytes bytes = file_bytes(path);
    const Bytes phys = ascii("pHYs") + hex("00 00 1F 38 00 00 1F 38 01");
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), phys.begin(), phys.end()), bytes.end());
    EXPECT_FALSE(fs::exists(path + ".part"));
}

TEST_F(PngFile, SaysWhyItCannotWrite) {
    std::string error;
    EXPECT_FALSE(write_png(dir_ + "/no/such/folder.png", GrayImage{1, 1, {0}}, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(write_png(dir_ + "/empty.png", GrayImage{}, error));
    EXPECT_FALSE(fs::exists(dir_ + "/empty.png"));
}

TEST(PaperPictures, ShowTheLogoDotForDot) {
    const Logo logo{2, 2, hex("01 80 06 00")};
    const GrayImage image = logo_picture(logo);
    EXPECT_EQ(window(image, 0, 0, 16, 2), (Rows{"#..............#", ".##............."}));
    EXPECT_EQ(test::gray_at(image, 0, 0), 0);
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 2);
}

TEST(PaperPictures, LayOutTheDownloadedCharacterTable) {
    DownloadedFont font;
    // Code 65 is in row 2, column 1: its cell starts at (1 + 9, 1 + 2 * 17).
    font.glyphs['A'] = repeat(0x80, 15) + hex("FF");
    const GrayImage image = font_table_picture(font, 8, 16);
    EXPECT_EQ(image.width, 16 * 9 + 1);
    EXPECT_EQ(image.height, 14 * 17 + 1);
    struct Case {
        const char* name;
        int x, y;
        std::uint8_t gray;
    };
    const Case cases[] = {
        {"grid", 0, 0, 128},
        {"code 32, never downloaded", 1, 1, 224},
        {"grid left of code 65", 9, 35, 128},
        {"code 65, top left dot", 10, 35, 0},
        {"code 65, blank dot", 11, 35, 255},
        {"code 65, bottom right dot", 17, 50, 0},
        {"code 255, never downloaded", 15 * 9 + 1, 13 * 17 + 1, 224},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::gray_at(image, c.x, c.y), c.gray);
    }
    const GrayImage a = font_table_picture(DownloadedFont{}, 12, 24);
    EXPECT_EQ(a.width, 16 * 13 + 1);
    EXPECT_EQ(a.height, 14 * 25 + 1);
}

// A session on the default printer, printing into a folder, with its journal in memory.
class PaperSession : public TempDir {
  protected:
    PaperSession() : memory_(open_memstream(&text_, &size_)), journal_(memory_, Clock::now()) {
        fonts_.a = {font_a_width, font_a_height, {}};
        fonts_.b = {font_b_width, font_b_height, {}};
        for (int y = 0; y < font_a_height; ++y)
            fonts_.a.glyphs['I'] = fonts_.a.glyphs['I'] + (y == 0 ? hex("FF F0") : hex("80 00"));
    }
    ~PaperSession() override {
        std::fclose(memory_);
        std::free(text_);
    }

    void SetUp() override {
        TempDir::SetUp();
        paper_.emplace(dir_, fonts_, journal_);
        std::string error;
        ASSERT_TRUE(paper_->prepare(error)) << error;
        session_.emplace(*printer_, journal_, 1);
        session_->set_paper(&*paper_);
    }

    void connection(const Bytes& bytes) {
        const auto now = Clock::now();
        session_->port_opened(now);
        session_->received(bytes, printer_->speed(), now);
        session_->port_closed(now);
    }

    std::string journal_text() {
        std::fflush(memory_);
        return std::string(text_, size_);
    }

    std::string journal_has(const std::string& text) {
        const std::string all = journal_text();
        return all.find(text) != std::string::npos ? text : all;
    }

    GrayImage png(const std::string& name) {
        GrayImage image;
        EXPECT_TRUE(test::read_png(dir_ + "/" + name, image)) << name;
        return image;
    }

    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* memory_;
    Journal journal_;
    ResidentFonts fonts_;
    std::optional<Printer> printer_{std::in_place, default_profile()};
    std::optional<PaperOutput> paper_;
    std::optional<Session> session_;
};

TEST_F(PaperSession, WritesOnePageForEachConnectionThatMovedThePaper) {
    connection(hex("1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76"));
    connection(ascii("I\n"));
    connection(hex("1B 4A 0A"));
    EXPECT_FALSE(fs::exists(dir_ + "/paper-0003.png"));
    const std::string first =
        R"("name":"paper","conn":2,"file":")" + dir_ + R"(/paper-0001.png","length_dots":24})";
    EXPECT_EQ(journal_has(first), first);
    const std::string second =
        R"("name":"paper","conn":3,"file":")" + dir_ + R"(/paper-0002.png","length_dots":10})";
    EXPECT_EQ(journal_has(second), second);

    const GrayImage page = png("paper-0001.png");
    EXPECT_EQ(page.width, 384);
    EXPECT_EQ(page.height, 24);
    EXPECT_EQ(window(page, 0, 0, 14, 2), (Rows{"############..", "#............."}));
    EXPECT_EQ(test::gray_at(page, 0, 0), 32) << "the default density, 100 %";
    EXPECT_EQ(png("paper-0002.png").height, 10);
}

TEST_F(PaperSession, KeepsPicturesOfTheLogoAndTheDownloadedFonts) {
    connection(hex("1D 2A 02 02 01 80 06 00"));
    EXPECT_EQ(journal_has(R"("name":"logo_image","conn":1)"), R"("name":"logo_image","conn":1)");
    EXPECT_EQ(journal_has(R"("width":16,"height":2})"), R"("width":16,"height":2})");
    EXPECT_EQ(window(png("logo.png"), 0, 0, 16, 2), (Rows{"#..............#", ".##............."}));
    EXPECT_FALSE(fs::exists(dir_ + "/paper-0001.png")) << "storing a logo prints nothing";

    connection(hex("1B 26 33 41 41") + repeat(0xFF, 16) + hex("1B 26 30"));
    EXPECT_EQ(journal_has(R"("font":"B","file":")" + dir_ + R"(/font-b.png","defined":1})"),
              R"("font":"B","file":")" + dir_ + R"(/font-b.png","defined":1})");
    EXPECT_EQ(journal_has(R"("font":"A","file":")" + dir_ + R"(/font-a.png","defined":0})"),
              R"("font":"A","file":")" + dir_ + R"(/font-a.png","defined":0})");
    EXPECT_EQ(test::gray_at(png("font-b.png"), 10, 35), 0);
    EXPECT_EQ(png("font-a.png").width, 209);

    connection(hex("1D 2A 00 00 00"));
    EXPECT_FALSE(fs::exists(dir_ + "/logo.png"));
    EXPECT_EQ(journal_has(R"("name":"logo_image","conn":3,"file":")" + dir_ +
                          R"(/logo.png","removed":true})"),
              R"("name":"logo_image","conn":3,"file":")" + dir_ + R"(/logo.png","removed":true})");
}

TEST_F(PaperSession, LeavesPaperAndPicturesAloneWhileThePrinterIsOff) {
    connection(hex("1B 2B") + ascii("I\n") + hex("1D 2A 01 01 FF"));
    EXPECT_FALSE(fs::exists(dir_ + "/paper-0001.png"));
    EXPECT_FALSE(fs::exists(dir_ + "/logo.png"));
}

TEST_F(PaperSession, JournalsWhyNothingPrinted) {
    Profile profile = default_profile();
    profile.status = 0x04;
    printer_.emplace(profile);
    connection(ascii("I\n") + hex("1D 6B 41 03") + ascii("123"));
    EXPECT_FALSE(fs::exists(dir_ + "/paper-0001.png"));
    const std::string out_of_paper = R"("params":{"text":"I"},"hex":"49","note":"out of paper)";
    EXPECT_EQ(journal_has(out_of_paper), out_of_paper);

    printer_.emplace(default_profile());
    connection(hex("1D 6B 41 03") + ascii("123"));
    const std::string rejected = R"("hex":"1D 6B 41 03 31 32 33","note":"rejected: UPC-A takes)";
    EXPECT_EQ(journal_has(rejected), rejected);
    EXPECT_FALSE(fs::exists(dir_ + "/paper-0001.png"));
}

TEST_F(PaperSession, CutsAVeryLongPageAtItsLimit) {
    Bytes feeds;
    for (int i = 0; i < 300; ++i)
        feeds = feeds + hex("1B 4A FF");
    connection(feeds);
    // 65 feeds of 255 dots pass 16384; 300 feeds make four such pages and 10200 dots more.
    for (const char* page : {"0001", "0002", "0003", "0004"}) {
        SCOPED_TRACE(page);
        const std::string line = dir_ + "/paper-" + page + R"(.png","length_dots":16575})";
        EXPECT_EQ(journal_has(line), line);
    }
    const std::string last = dir_ + R"(/paper-0005.png","length_dots":10200})";
    EXPECT_EQ(journal_has(last), last);
}

TEST_F(TempDir, PaperOutputClearsWhatAnEarlierRunLeft) {
    for (const char* name :
         {"paper-0007.png", "logo.png", "font-a.png", "font-b.png", "notes.txt", "paper.png"})
        std::ofstream(dir_ + "/" + name) << "x";
    const ResidentFonts fonts;
    Journal journal(nullptr, Clock::now());
    PaperOutput paper(dir_ + "/", fonts, journal);
    std::string error;
    ASSERT_TRUE(paper.prepare(error)) << error;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir_))
        left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"notes.txt", "paper.png"}));

    PaperOutput nested(dir_ + "/a/b", fonts, journal);
    EXPECT_TRUE(nested.prepare(error));
    EXPECT_TRUE(fs::is_directory(dir_ + "/a/b"));
    PaperOutput on_a_file(dir_ + "/notes.txt", fonts, journal);
    EXPECT_FALSE(on_a_file.prepare(error));
    EXPECT_NE(error.find("cannot make the paper folder"), std::string::npos) << error;
}

} // namespace
} // namespace tq350::sim
