// Font files through the Win32 file calls: what Load makes of a file, and a Save
// that either replaces the target whole or leaves it as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "font/font_file_io.h"
#include "app/tests/win_test_support.h"

namespace tq350::font {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `bytes` and zeros up to `size` when that is more: those take no room on the disk.
std::string write(const std::string& file, const Bytes& bytes, std::int64_t size = 0) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (size > static_cast<std::int64_t>(bytes.size())) {
        HANDLE handle =
            CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFilePointerEx(handle, LARGE_INTEGER{.QuadPart = size}, nullptr, FILE_BEGIN);
        SetEndOfFile(handle);
        CloseHandle(handle);
    }
    return file;
}

bool exists(const std::string& file) {
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every record's code byte its own code, the rest a pattern.
Bytes every_code_defined(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::size_t record = size == 10976 ? 49 : 17;
    for (int code = 32; code <= 255; ++code)
        bytes[static_cast<std::size_t>(code - 32) * record] = static_cast<std::uint8_t>(code);
    return bytes;
}

class FontFileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tq350 font files test";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    std::string path(const char* name) const { return folder_ + "\\" + name; }

    std::string folder_;
};

// Only the size tells a font file: every other size is refused before anything
// is read into memory, and a file of the right size loads byte for byte. No case
// leaves heap blocks behind or makes the process use more than a few tens of MB.
TEST_F(FontFileIoTest, TheSizeDecidesTheFontAndEveryByteIsKept) {
    const Bytes font_a = every_code_defined(10976);
    const Bytes font_b = every_code_defined(3808);
    const auto cut = [](const Bytes& bytes, std::size_t size) {
        return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    };
    Bytes both = font_a;
    both.insert(both.end(), font_b.begin(), font_b.end());
    const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C};
    struct Case {
        std::string path;
        LoadStatus status;
        FontKind kind = FontKind::a;
    };
    const Case cases[] = {
        {write(path("a.fnt"), font_a), LoadStatus::loaded, FontKind::a},
        {write(path("b.bmp"), font_b), LoadStatus::loaded, FontKind::b},
        {write(path("empty.fnt"), {}), LoadStatus::not_a_font_file},
        {write(path("1.fnt"), cut(font_a, 1)), LoadStatus::not_a_font_file},
        {write(path("49.fnt"), cut(font_a, 49)), LoadStatus::not_a_font_file},
        {write(path("3807.fnt"), cut(font_b, 3807)), LoadStatus::not_a_font_file},
        {write(path("3809.fnt"), cut(both, 3809)), LoadStatus::not_a_font_file},
        {write(path("5488.fnt"), cut(font_a, 5488)), LoadStatus::not_a_font_file},
        {write(path("10975.fnt"), cut(font_a, 10975)), LoadStatus::not_a_font_file},
        {write(path("a and b.fnt"), both), LoadStatus::not_a_font_file},
        {write(path("picture.fnt"), gif), LoadStatus::not_a_font_file},
        {write(path("1 GB.fnt"), font_a, std::int64_t{1} << 30), LoadStatus::not_a_font_file},
        {path("no such file.fnt"), LoadStatus::cannot_open},
        {folder_, LoadStatus::cannot_open}};
    const tq350::test::MemoryPeak peak;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const LoadResult result = ReadFontFile(c.path.c_str());
        EXPECT_EQ(result.status, c.status);
        ASSERT_EQ(result.table.has_value(), c.status == LoadStatus::loaded);
        if (result.table) {
            EXPECT_EQ(result.table->kind(), c.kind);
            EXPECT_TRUE(result.table->is_defined(32) && result.table->is_defined(255));
            const std::span<const std::uint8_t> loaded = result.table->bytes();
            EXPECT_EQ(Bytes(loaded.begin(), loaded.end()), read(c.path));
        }
        EXPECT_LT(peak.growth(), 32 << 20) << "bytes used at the most";
        EXPECT_TRUE(tq350::test::leaves_heaps_as_found([&] { ReadFontFile(c.path.c_str()); }));
    }
}

// The target gets all the new bytes or keeps its old ones, and no temporary file
// stays behind.
TEST_F(FontFileIoTest, SaveReplacesTheTargetWholeOrNotAtAll) {
    const Bytes old(10976, 0xEE);
    const Bytes font = every_code_defined(3808);
    CreateDirectoryA(path("a folder.fnt").c_str(), nullptr);
    struct Case {
        std::string target;
        SaveStatus status;
    };
    const Case cases[] = {{write(path("replaced.fnt"), old), SaveStatus::saved},
                          {path("no extension"), SaveStatus::saved},
                          {path("no such folder") + "\\font.fnt", SaveStatus::cannot_create},
                          {path("a folder.fnt"), SaveStatus::cannot_replace}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(SaveFontFile(c.target.c_str(), font), c.status);
        if (c.status == SaveStatus::saved) {
            EXPECT_EQ(read(c.target), font);
        }
        EXPECT_FALSE(exists(c.target + ".tmp"));
        EXPECT_FALSE(exists(c.target + ".fnt.tmp") || exists(c.target + ".fnt"));
    }
    EXPECT_TRUE(GetFileAttributesA(path("a folder.fnt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    DeleteFileA(path("no extension").c_str());
}

// "direct.fnt.tmp" in that folder is a link to /dev/full, made by the test's
// fixture: every write to the temporary file fails as on a full disk. (Wine will
// not delete a device, so unlike a real temporary file the link stays.)
TEST_F(FontFileIoTest, AWriteThatFailsKeepsTheOldFile) {
    const std::string target = std::string(TQ350_FULL_DISK_DIR) + "\\direct.fnt";
    const Bytes old = every_code_defined(10976);
    write(target, old);
    EXPECT_EQ(SaveFontFile(target.c_str(), Bytes(3808, 0x11)), SaveStatus::write_failed);
    EXPECT_EQ(read(target), old);
}

} // namespace
} // namespace tq350::font
