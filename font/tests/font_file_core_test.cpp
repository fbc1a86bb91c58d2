#include "font/font_file_core.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace tq350::font {
namespace {

namespace fs = std::filesystem;

class FontFile : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tq350-font-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return dir_ / name;
    }
    static std::vector<std::uint8_t> read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
};

// Every byte value in every position, code bytes and unused row bits included.
std::vector<std::uint8_t> patterned(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    return bytes;
}

// Files of zeros; any size but a font's is refused before anything is read,
// so a file of 1 GB costs no memory.
TEST_F(FontFile, SizeDecidesTheFont) {
    struct Case {
        std::uintmax_t size;
        LoadStatus status;
        FontKind kind;
    };
    const Case cases[] = {
        {0, LoadStatus::not_a_font_file, FontKind::a},
        {3807, LoadStatus::not_a_font_file, FontKind::a},
        {3808, LoadStatus::loaded, FontKind::b},
        {3809, LoadStatus::not_a_font_file, FontKind::a},
        {10975, LoadStatus::not_a_font_file, FontKind::a},
        {10976, LoadStatus::loaded, FontKind::a},
        {std::uintmax_t{1} << 30, LoadStatus::not_a_font_file, FontKind::a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const fs::path file = write("size.fnt", {});
        fs::resize_file(file, c.size);
        const LoadResult result = read_font_file(file);
        EXPECT_EQ(result.status, c.status);
        ASSERT_EQ(result.table.has_value(), c.status == LoadStatus::loaded);
        if (result.table) {
            EXPECT_EQ(result.table->kind(), c.kind);
            for (int code = first_code; code <= last_code; ++code) {
                EXPECT_FALSE(result.table->is_defined(code));
            }
        }
    }
}

TEST_F(FontFile, CannotOpen) {
    EXPECT_EQ(read_font_file(dir_ / "missing.fnt").status, LoadStatus::cannot_open);
    EXPECT_EQ(read_font_file(dir_).status, LoadStatus::cannot_open);
}

TEST_F(FontFile, RoundTripByteForByte) {
    for (std::size_t size : {std::size_t{10976}, std::size_t{3808}}) {
        SCOPED_TRACE(size);
        const std::vector<std::uint8_t> original = patterned(size);
        const LoadResult loaded = read_font_file(write("in.fnt", original));
        ASSERT_EQ(loaded.status, LoadStatus::loaded);
        ASSERT_EQ(save_file_atomically(dir_ / "out.fnt", loaded.table->bytes()), SaveStatus::saved);
        EXPECT_EQ(read(dir_ / "out.fnt"), original);
    }
}

// The save must never cost the font already on disk: the new bytes go to a
// temporary file and replace the target only once all of them are there.
TEST_F(FontFile, AtomicSave) {
    const auto half_then_fail = [](std::ostream& out, std::span<const std::uint8_t> bytes) {
        write_all_bytes(out, bytes.first(bytes.size() / 2));
        return false;
    };
    const auto half_and_claim_success = [](std::ostream& out, std::span<const std::uint8_t> bytes) {
        return write_all_bytes(out, bytes.first(bytes.size() / 2));
    };
    struct Case {
        const char* label;
        std::string target;
        ByteWriter writer;
        SaveStatus status;
        bool target_gets_new_bytes;
    };
    const Case cases[] = {
        {"new file", "new.fnt", write_all_bytes, SaveStatus::saved, true},
        {"replaces an old font", "old.fnt", write_all_bytes, SaveStatus::saved, true},
        {"name without extension", "plain", write_all_bytes, SaveStatus::saved, true},
        {"write fails half-way", "old.fnt", half_then_fail, SaveStatus::write_failed, false},
        {"short write reported as done", "old.fnt", half_and_claim_success,
         SaveStatus::write_failed, false},
        {"folder does not exist", "missing/new.fnt", write_all_bytes, SaveStatus::cannot_create,
         false},
        {"target is a folder", "folder", write_all_bytes, SaveStatus::cannot_replace, false},
    };
    const std::vector<std::uint8_t> old_font(3808, 0x11);
    const std::vector<std::uint8_t> new_font = patterned(10976);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "folder");
        write("old.fnt", old_font);
        const fs::path target = dir_ / c.target;
        const bool existed = fs::exists(target);

        EXPECT_EQ(save_file_atomically(target, new_font, c.writer), c.status);
        EXPECT_FALSE(fs::exists(temporary_path_for(target)));
        if (c.target_gets_new_bytes) {
            EXPECT_EQ(read(target), new_font);
        } else if (c.target == "old.fnt") {
            EXPECT_EQ(read(target), old_font);
        } else {
            EXPECT_EQ(fs::exists(target), existed);
        }
    }
}

} // namespace
} // namespace tq350::font
