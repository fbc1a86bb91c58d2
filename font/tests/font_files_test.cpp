// Font files through the Win32 file calls: what Load makes of a file, and a Save
// that either replaces the target whole or leaves it as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "font/font_files.h"
#include "hex.h"

namespace tq350::font {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::hex;

class FontFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tq350 font files test";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    std::string path(const char* name) const { return folder_ + "\\" + name; }

    static Bytes read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void write(const std::string& file, const Bytes& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static bool exists(const std::string& file) {
        return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string folder_;
};

Bytes patterned(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

TEST_F(FontFilesTest, TheSizeDecidesTheFontAndEveryByteIsKept) {
    struct Case {
        std::size_t size;
        LoadStatus status;
        FontKind kind;
    };
    const Case cases[] = {
        {10976, LoadStatus::loaded, FontKind::a},
        {3808, LoadStatus::loaded, FontKind::b},
        {3807, LoadStatus::not_a_font_file, FontKind::a},
        {3809, LoadStatus::not_a_font_file, FontKind::a},
        {10975, LoadStatus::not_a_font_file, FontKind::a},
        {10977, LoadStatus::not_a_font_file, FontKind::a},
        {0, LoadStatus::not_a_font_file, FontKind::a},
    };
    const std::string file = path("sized.fnt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const Bytes bytes = patterned(c.size);
        write(file, bytes);
        const LoadResult result = ReadFontFile(file.c_str());
        EXPECT_EQ(result.status, c.status);
        ASSERT_EQ(result.table.has_value(), c.status == LoadStatus::loaded);
        if (result.table) {
            EXPECT_EQ(result.table->kind(), c.kind);
            const std::span<const std::uint8_t> loaded = result.table->bytes();
            EXPECT_EQ(Bytes(loaded.begin(), loaded.end()), bytes);
        }
    }
}

TEST_F(FontFilesTest, AMissingFileCannotBeOpened) {
    EXPECT_EQ(ReadFontFile(path("no such file.fnt").c_str()).status, LoadStatus::cannot_open);
    EXPECT_EQ(ReadFontFile(folder_.c_str()).status, LoadStatus::cannot_open) << "a folder";
}

TEST_F(FontFilesTest, SaveReplacesTheTargetWhole) {
    const std::string target = path("replaced.fnt");
    write(target, Bytes(10976, 0xEE));
    const Bytes font = patterned(3808);
    EXPECT_EQ(SaveFontFile(target.c_str(), font), SaveStatus::saved);
    EXPECT_EQ(read(target), font);
    EXPECT_FALSE(exists(target + ".tmp"));

    const std::string bare = path("no extension");
    DeleteFileA(bare.c_str());
    EXPECT_EQ(SaveFontFile(bare.c_str(), font), SaveStatus::saved);
    EXPECT_EQ(read(bare), font);
    EXPECT_FALSE(exists(bare + ".fnt"));
}

TEST_F(FontFilesTest, FailuresLeaveTheTargetAndNoTemporaryFile) {
    const Bytes font = patterned(3808);
    const std::string missing_folder = path("no such folder") + "\\font.fnt";
    EXPECT_EQ(SaveFontFile(missing_folder.c_str(), font), SaveStatus::cannot_create);
    EXPECT_FALSE(exists(missing_folder));

    // A folder in the way cannot be replaced by a file.
    const std::string folder_target = path("a folder.fnt");
    CreateDirectoryA(folder_target.c_str(), nullptr);
    EXPECT_EQ(SaveFontFile(folder_target.c_str(), font), SaveStatus::cannot_replace);
    EXPECT_EQ(GetFileAttributesA(folder_target.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(exists(folder_target + ".tmp"));
}

// "direct.fnt.tmp" in that folder is a link to /dev/full, made by the test's
// fixture: every write to the temporary file fails as on a full disk. (Wine will
// not delete a device, so unlike a real temporary file the link stays.)
TEST_F(FontFilesTest, AWriteThatFailsKeepsTheOldFile) {
    const std::string target = std::string(TQ350_FULL_DISK_DIR) + "\\direct.fnt";
    const std::string temporary = target + ".tmp";
    {
        HANDLE full =
            CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD written = 0;
        const bool refused =
            full != INVALID_HANDLE_VALUE && !WriteFile(full, "x", 1, &written, nullptr);
        if (full != INVALID_HANDLE_VALUE)
            CloseHandle(full);
        ASSERT_TRUE(refused) << temporary << " must link to /dev/full: run through ctest";
    }
    const Bytes old = patterned(10976);
    write(target, old);
    EXPECT_EQ(SaveFontFile(target.c_str(), Bytes(3808, 0x11)), SaveStatus::write_failed);
    EXPECT_EQ(read(target), old);
}

} // namespace
} // namespace tq350::font
