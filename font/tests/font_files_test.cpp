// Font files through the Win32 file calls: what Load makes of a file, and a Save
// that either replaces the target whole or leaves it as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "font/font_files.h"
#include "font/tests/hex.h"
#include "app/tests/win_test_support.h"

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
    // A file in the folder holding `bytes`, and zeros up to `size` when that
    // is more: those take no room on the disk.
    std::string write_file(const char* name, const Bytes& bytes, std::int64_t size = 0) const {
        const std::string file = path(name);
        write(file, bytes);
        if (size > static_cast<std::int64_t>(bytes.size())) {
            HANDLE handle =
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            LARGE_INTEGER end{};
            end.QuadPart = size;
            SetFilePointerEx(handle, end, nullptr, FILE_BEGIN);
            SetEndOfFile(handle);
            CloseHandle(handle);
        }
        return file;
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

// A font whose every character is defined: each record's code byte is its
// own code, and the rest of the bytes a pattern.
Bytes every_code_defined(std::size_t size) {
    Bytes bytes = patterned(size);
    const std::size_t record = size == 10976 ? 49 : 17;
    for (int code = 32; code <= 255; ++code)
        bytes[static_cast<std::size_t>(code - 32) * record] = static_cast<std::uint8_t>(code);
    return bytes;
}

// Good font files, and broken ones made from them. Only the size tells a
// font file: every other size is refused before anything is read into
// memory, and a file of the right size loads byte for byte, with the
// characters whose code bytes are their own defined. No case leaves memory
// behind or makes the process use more than a few tens of MB.
TEST_F(FontFilesTest, TheSizeDecidesTheFontAndEveryByteIsKept) {
    const Bytes font_a = every_code_defined(10976);
    const Bytes font_b = every_code_defined(3808);
    const auto cut = [](const Bytes& bytes, std::size_t size) {
        return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    };
    Bytes stray_codes = font_a; // every code byte one past its own code
    for (std::size_t at = 0; at < stray_codes.size(); at += 49)
        stray_codes[at] = static_cast<std::uint8_t>(at / 49 + 33);
    Bytes both = font_a;
    both.insert(both.end(), font_b.begin(), font_b.end());
    Bytes longer = font_b;
    longer.push_back(0);
    const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C};
    struct Case {
        std::string label;
        std::string path;
        LoadStatus status;
        FontKind kind = FontKind::a;
        int defined = 0; // characters
    };
    const Case cases[] = {
        {"font A", write_file("a.fnt", font_a), LoadStatus::loaded, FontKind::a, 224},
        {"font B", write_file("b.fnt", font_b), LoadStatus::loaded, FontKind::b, 224},
        {"no code byte its own", write_file("stray.fnt", stray_codes), LoadStatus::loaded,
         FontKind::a, 0},
        {"font A named .bmp", write_file("a.bmp", font_a), LoadStatus::loaded, FontKind::a, 224},
        {"empty", write_file("empty.fnt", {}), LoadStatus::not_a_font_file},
        {"one byte", write_file("1.fnt", cut(font_a, 1)), LoadStatus::not_a_font_file},
        {"one record", write_file("49.fnt", cut(font_a, 49)), LoadStatus::not_a_font_file},
        {"font B less its last byte", write_file("3807.fnt", cut(font_b, 3807)),
         LoadStatus::not_a_font_file},
        {"half of font A", write_file("5488.fnt", cut(font_a, 5488)), LoadStatus::not_a_font_file},
        {"font A less its last byte", write_file("10975.fnt", cut(font_a, 10975)),
         LoadStatus::not_a_font_file},
        {"font B and one byte", write_file("3809.fnt", longer), LoadStatus::not_a_font_file},
        {"fonts A and B in one file", write_file("both.fnt", both), LoadStatus::not_a_font_file},
        {"a picture named .fnt", write_file("picture.fnt", gif), LoadStatus::not_a_font_file},
        {"a file of 1 GB", write_file("huge.fnt", font_a, std::int64_t{1} << 30),
         LoadStatus::not_a_font_file},
        {"no such file", path("no such file.fnt"), LoadStatus::cannot_open},
        {"a folder", folder_, LoadStatus::cannot_open},
    };
    const tq350::test::MemoryPeak peak;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const LoadResult result = ReadFontFile(c.path.c_str());
        EXPECT_EQ(result.status, c.status);
        ASSERT_EQ(result.table.has_value(), c.status == LoadStatus::loaded);
        if (result.table) {
            EXPECT_EQ(result.table->kind(), c.kind);
            int defined = 0;
            for (int code = 32; code <= 255; ++code)
                defined += result.table->is_defined(code) ? 1 : 0;
            EXPECT_EQ(defined, c.defined);
            const std::span<const std::uint8_t> loaded = result.table->bytes();
            EXPECT_EQ(Bytes(loaded.begin(), loaded.end()), read(c.path));
        }
        EXPECT_LT(peak.growth(), 32 << 20) << "bytes used at the most";
        EXPECT_TRUE(tq350::test::leaves_heaps_as_found([&] { ReadFontFile(c.path.c_str()); }));
    }
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
