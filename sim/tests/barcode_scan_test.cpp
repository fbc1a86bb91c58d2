// Barcodes as the printer draws them, read back by a real scanner: zbarimg from Debian's
// zbar-tools.

#include "png_file.h"
#include "printout.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace tq350::sim {
namespace {

using test::ascii;
using test::Bytes;
using test::operator+;

bool zbarimg_installed() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/zbarimg").c_str(), X_OK) == 0)
            return true;
    return false;
}

// What zbarimg reads in the file, "TYPE:data" a line. UPC-A and UPC-E are switched on so that
// they are not reported as EAN-13.
std::string scan(const std::string& file) {
    const std::string command =
        "zbarimg -q --nodbus -Supca.enable -Supce.enable '" + file + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "cannot run zbarimg";
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

class BarcodeScan : public testing::Test {
  protected:
    void SetUp() override {
        if (!zbarimg_installed())
            GTEST_SKIP() << "zbarimg (Debian's zbar-tools) is not installed";
        char name[] = "/tmp/tq350-scan-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        if (!dir_.empty())
            std::filesystem::remove_all(dir_);
    }
    std::string dir_;
};

TEST_F(BarcodeScan, ReadsEverySymbologyBackAsItsData) {
    struct Case {
        const char* name;
        std::uint8_t symbology;
        Bytes data;
        const char* scanned;
    };
    const Case cases[] = {
        {"UPC-A", 0x41, ascii("01234567890"), "UPC-A:012345678905\n"},
        {"UPC-E", 0x42, ascii("0123456"), "UPC-E:01234565\n"},
        {"EAN13", 0x43, ascii("401234567890"), "EAN-13:4012345678901\n"},
        {"EAN8", 0x44, ascii("1234567"), "EAN-8:12345670\n"},
        {"CODE 39", 0x45, ascii("A-1 $/+%."), "CODE-39:A-1 $/+%.\n"},
        {"ITF", 0x46, ascii("12345678"), "I2/5:12345678\n"},
        {"CODABAR", 0x47, ascii("A40156B"), "Codabar:A40156B\n"},
        {"CODE 93", 0x48, ascii("Code 93!"), "CODE-93:Code 93!\n"},
        {"CODE 128", 0x49, ascii("Hello 128"), "CODE-128:Hello 128\n"},
        {"CODE 128-A", 0x49, ascii("{AHELLO"), "CODE-128:HELLO\n"},
        {"CODE 128-B", 0x49, ascii("{Babc"), "CODE-128:abc\n"},
        {"CODE 128-C", 0x49, ascii("{C123456"), "CODE-128:123456\n"},
    };
    const ResidentFonts no_fonts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Printout printout(no_fonts);
        // 24 dots of blank paper on the left make the quiet zone a scanner needs.
        ASSERT_EQ(printout.print_barcode(c.symbology, c.data, {2, 60, 0, false, 24}, 32), "");
        const std::string file = dir_ + "/barcode.png";
        std::string error;
        ASSERT_TRUE(write_png(file, printout.paper().image(), error)) << error;
        EXPECT_EQ(scan(file), c.scanned);
    }
}

} // namespace
} // namespace tq350::sim
