#include "logo/tests/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tq350::logo::test {

namespace {

std::string scratch_folder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "tq350 logo tests " + std::to_string(GetCurrentProcessId());
}

// Removes this process's scratch files when the suite ends.
class ScratchFolderCleanup : public ::testing::Environment {
  public:
    void TearDown() override {
        const std::string folder = scratch_folder();
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }
};

[[maybe_unused]] ::testing::Environment* const g_cleanup =
    ::testing::AddGlobalTestEnvironment(new ScratchFolderCleanup);

} // namespace

std::string scratch_path(const std::string& name) {
    const std::string folder = scratch_folder();
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

std::string write_scratch_file(const std::string& name, const Bytes& bytes) {
    const std::string path = scratch_path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
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

Bytes bitmap_file(int width, int height, int bits, const std::vector<RGBQUAD>& colours,
                  const std::vector<Bytes>& rows_top_first, bool top_down) {
    std::vector<std::uint32_t> table;
    for (const RGBQUAD& c : colours)
        table.push_back(std::uint32_t{c.rgbRed} << 16 | c.rgbGreen << 8 | c.rgbBlue);
    return test::bitmap_file(width, top_down ? -height : height, static_cast<unsigned>(bits), 40,
                             table, rows_top_first);
}

Bytes box_bitmap_file(int width, int height, int bits, RECT black) {
    std::vector<RGBQUAD> colours;
    for (unsigned i = 0; bits <= 8 && i < (1u << bits); ++i) {
        const auto gray = static_cast<BYTE>(i * 255 / ((1u << bits) - 1));
        colours.push_back({gray, gray, gray, 0});
    }
    const unsigned white_index = bits <= 8 ? (1u << bits) - 1 : 0;
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row((static_cast<std::size_t>(bits) * width + 7) / 8, 0);
        for (int x = 0; x < width; ++x) {
            const bool is_black =
                x >= black.left && x < black.right && y >= black.top && y < black.bottom;
            if (bits >= 24) {
                const std::size_t at = static_cast<std::size_t>(x) * bits / 8;
                std::memset(&row[at], is_black ? 0x00 : 0xFF, static_cast<std::size_t>(bits) / 8);
                continue;
            }
            const unsigned index = is_black ? 0 : white_index;
            const std::size_t bit = static_cast<std::size_t>(x) * bits;
            row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits - bit % 8));
        }
        rows.push_back(row);
    }
    return bitmap_file(width, height, bits, colours, rows);
}

Bytes enhanced_metafile(int frame_width, int frame_height) {
    HDC screen = GetDC(nullptr);
    const int width = MulDiv(frame_width, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int height = MulDiv(frame_height, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    RECT frame{0, 0, frame_width, frame_height};
    HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, screen);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ previous = SelectObject(dc, red);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, width / 3, height / 3, 2 * width / 3, 2 * height / 3);
    SelectObject(dc, previous);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    DeleteObject(red);
    Bytes bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(metafile);
    return bytes;
}

Bytes windows_metafile(int width_units, int height_units, int units_per_inch, bool placeable) {
    HDC dc = CreateMetaFileA(nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, width_units, height_units, nullptr);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    SelectObject(dc, green);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, width_units / 3, height_units / 3, 2 * width_units / 3, 2 * height_units / 3);
    HMETAFILE metafile = CloseMetaFile(dc);
    DeleteObject(green);
    Bytes body(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, static_cast<UINT>(body.size()), body.data());
    DeleteMetaFile(metafile);
    if (!placeable)
        return body;
    // Key, metafile handle, bounding box, units per inch, reserved, checksum
    // (the XOR of the ten words before it).
    const auto word = [](int v) { return static_cast<std::uint16_t>(v); };
    std::uint16_t header[11] = {
        0xCDD7, 0x9AC6, 0, 0, 0, word(width_units), word(height_units), word(units_per_inch)};
    for (int i = 0; i < 10; ++i)
        header[10] ^= header[i];
    Writer bytes;
    for (std::uint16_t w : header)
        bytes.u16(w);
    return bytes.append(body).bytes;
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
    const LoadedBitmap loaded = describe(bitmap);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = loaded.width;
    info.bmiHeader.biHeight = -loaded.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(loaded.width) * loaded.height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(loaded.height), pixels.data(), &info,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels[static_cast<std::size_t>(y) * loaded.width + x] & 0xFFFFFF;
}

int screen_bits_per_pixel() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits;
}

} // namespace tq350::logo::test
