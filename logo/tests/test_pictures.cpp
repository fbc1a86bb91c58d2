#include "logo/tests/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace tq350::logo::test {

namespace {

std::filesystem::path scratch_folder() {
    return std::filesystem::temp_directory_path() /
           ("tq350 logo tests " + std::to_string(GetCurrentProcessId()));
}

struct ScratchFolderCleanup : ::testing::Environment {
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_folder(), ignored);
    }
};

[[maybe_unused]] ::testing::Environment* const g_cleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchFolderCleanup);

} // namespace

std::string scratch_path(const std::string& name) {
    std::filesystem::create_directories(scratch_folder());
    return (scratch_folder() / name).string();
}

std::string write_scratch_file(const std::string& name, const Bytes& bytes) {
    const std::string path = scratch_path(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string built_picture(const std::string& name) {
    // The build folder comes as Z: and a Unix path; the open-file dialog
    // refuses forward slashes in a name.
    std::string path = std::string(TQ350_TEST_PICTURES) + "\\" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

Bytes box_bitmap_file(int width, int height, int bits, RECT black) {
    std::vector<Bytes> rows(height, Bytes((static_cast<std::size_t>(bits) * width + 7) / 8, 0xFF));
    for (int y = black.top; y < black.bottom; ++y)
        for (int x = black.left; x < black.right; ++x)
            if (bits == 1)
                rows[y][x / 8] &= static_cast<std::uint8_t>(~(0x80 >> x % 8));
            else
                std::fill_n(&rows[y][3 * static_cast<std::size_t>(x)], 3, 0);
    return bitmap_file(width, height, static_cast<unsigned>(bits), 40,
                       bits == 1 ? std::vector<std::uint32_t>{0x000000, 0xFFFFFF}
                                 : std::vector<std::uint32_t>{},
                       rows);
}

LoadedBitmap describe(HBITMAP bitmap) {
    LoadedBitmap loaded;
    DIBSECTION section{};
    const int size = GetObjectA(bitmap, sizeof section, &section);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return loaded;
    loaded.width = section.dsBm.bmWidth;
    loaded.height = section.dsBm.bmHeight;
    loaded.bits_per_pixel = section.dsBm.bmBitsPixel * section.dsBm.bmPlanes;
    loaded.dib_section = size == sizeof section && section.dsBm.bmBits != nullptr;
    return loaded;
}

std::uint32_t pixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

} // namespace tq350::logo::test
