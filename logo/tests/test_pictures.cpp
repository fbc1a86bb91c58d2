#include "logo/tests/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tq350::logo::test {

namespace {

void put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr RGBQUAD kBlack{0, 0, 0, 0};
constexpr RGBQUAD kWhite{255, 255, 255, 0};

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
    const std::uint32_t stride = (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4;
    const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(colours.size());
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + stride * static_cast<std::uint32_t>(height));
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(top_down ? -height : height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, BI_RGB);
    put32(out, stride * static_cast<std::uint32_t>(height));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, static_cast<std::uint32_t>(colours.size()));
    put32(out, 0);
    for (const RGBQUAD& c : colours) {
        out.push_back(c.rgbBlue);
        out.push_back(c.rgbGreen);
        out.push_back(c.rgbRed);
        out.push_back(0);
    }
    for (int i = 0; i < height; ++i) {
        const Bytes& row = rows_top_first[top_down ? i : height - 1 - i];
        Bytes padded(stride, 0);
        std::memcpy(padded.data(), row.data(), std::min<std::size_t>(row.size(), stride));
        out.insert(out.end(), padded.begin(), padded.end());
    }
    return out;
}

Bytes box_bitmap_file(int width, int height, int bits, RECT black, bool white_first) {
    std::vector<RGBQUAD> colours;
    unsigned black_index = 0;
    unsigned white_index = 0;
    switch (bits) {
    case 1:
        colours = white_first ? std::vector<RGBQUAD>{kWhite, kBlack}
                              : std::vector<RGBQUAD>{kBlack, kWhite};
        black_index = white_first ? 1 : 0;
        white_index = 1 - black_index;
        break;
    case 4:
    case 8:
        for (unsigned i = 0; i < (1u << bits); ++i) {
            const auto gray = static_cast<BYTE>(i * 255 / ((1u << bits) - 1));
            colours.push_back({gray, gray, gray, 0});
        }
        white_index = (1u << bits) - 1;
        break;
    default:
        break;
    }
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
            const unsigned index = is_black ? black_index : white_index;
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
    std::uint16_t header[11] = {0xCDD7,
                                0x9AC6,
                                0,
                                0,
                                0,
                                static_cast<std::uint16_t>(width_units),
                                static_cast<std::uint16_t>(height_units),
                                static_cast<std::uint16_t>(units_per_inch),
                                0,
                                0,
                                0};
    for (int i = 0; i < 10; ++i)
        header[10] ^= header[i];
    Bytes bytes;
    for (std::uint16_t word : header)
        put16(bytes, word);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
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

std::array<std::uint32_t, 2> colour_table(HBITMAP bitmap) {
    RGBQUAD table[2] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    GetDIBColorTable(dc, 0, 2, table);
    SelectObject(dc, previous);
    DeleteDC(dc);
    std::array<std::uint32_t, 2> colours{};
    for (int i = 0; i < 2; ++i)
        colours[i] = static_cast<std::uint32_t>(table[i].rgbRed) << 16 |
                     static_cast<std::uint32_t>(table[i].rgbGreen) << 8 | table[i].rgbBlue;
    return colours;
}

int screen_bits_per_pixel() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits;
}

} // namespace tq350::logo::test
