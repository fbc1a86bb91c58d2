// The checks a picture file passes before a decoder sees it. The files are
// built here byte by byte, so each case says exactly what is in it.
#include "logo/picture_file_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tq350::logo {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Writer {
    Bytes bytes;
    Writer& le(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> 8 * i));
        return *this;
    }
    Writer& u8(unsigned v) { return le(v, 1); }
    Writer& u16(unsigned v) { return le(v, 2); }
    Writer& u32(std::uint32_t v) { return le(v, 4); }
    Writer& be16(unsigned v) { return u8(v >> 8).u8(v & 0xFF); }
    Writer& raw(std::initializer_list<unsigned> list) {
        for (unsigned v : list)
            u8(v);
        return *this;
    }
    Writer& fill(std::size_t count, unsigned v = 0) {
        bytes.insert(bytes.end(), count, static_cast<std::uint8_t>(v));
        return *this;
    }
    Writer& append(const Bytes& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// The file with a little-endian value of `size` bytes written over it at `at`.
Bytes with(Bytes bytes, std::size_t at, std::uint32_t v, int size = 4) {
    for (int i = 0; i < size; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return bytes;
}

// A bitmap file with a 40-byte header (or the old 12-byte one or a longer
// one), a full colour table for up to 8 bits, and zero pixels.
Bytes bitmap_file(std::int32_t width, std::int32_t height, unsigned bits, unsigned header = 40) {
    const std::uint32_t entries = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t entry_size = header == 12 ? 3 : 4;
    const std::uint32_t offset = 14 + header + entries * entry_size;
    const auto rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
    const std::uint32_t stride = (bits * static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    Writer w;
    w.raw({'B', 'M'}).u32(offset + stride * rows).u32(0).u32(offset);
    if (header == 12)
        w.u32(12).u16(static_cast<unsigned>(width)).u16(rows).u16(1).u16(bits);
    else {
        w.u32(header).u32(static_cast<std::uint32_t>(width));
        w.u32(static_cast<std::uint32_t>(height)).u16(1).u16(bits).u32(0).u32(stride * rows);
        w.u32(2835).u32(2835).u32(0).u32(0).fill(header - 40);
    }
    return w.fill(entries * entry_size, 0x80).fill(std::size_t{stride} * rows).bytes;
}

// One image with a two-colour table, a graphic control extension and five
// bytes of sub-blocks standing for the compressed pixels.
Bytes gif_file(unsigned screen_width, unsigned screen_height, unsigned width, unsigned height) {
    Writer w;
    w.raw({'G', 'I', 'F', '8', '9', 'a'}).u16(screen_width).u16(screen_height).raw({0x80, 0, 0});
    w.raw({0, 0, 0, 255, 255, 255}).raw({0x21, 0xF9, 4, 0x01, 0, 0, 0, 0});
    w.u8(0x2C).u16(0).u16(0).u16(width).u16(height).u8(0);
    return w.u8(2).raw({3, 0x84, 0x8F, 0x59}).u8(0).u8(0x3B).bytes;
}

constexpr std::size_t gif_descriptor = 13 + 6 + 8;

// A baseline JPEG's markers with dummy tables and one component, and a scan
// of `scan` bytes: by default just enough for one bit per minimum coded unit
// (8 x 8 dots times the sampling factors, 0x22 for 2 across and 2 down).
Bytes jpeg_file(unsigned width, unsigned height, unsigned frame_marker = 0xC0, std::size_t scan = 0,
                unsigned sampling = 0x11) {
    const std::size_t across = 8 * (sampling >> 4), down = 8 * (sampling & 15);
    const std::size_t units = (width + across - 1) / across * ((height + down - 1) / down);
    if (scan == 0)
        scan = std::max<std::size_t>(8, (units + 7) / 8);
    Writer w;
    w.raw({0xFF, 0xD8, 0xFF, 0xE0}).be16(16).raw({'J', 'F', 'I', 'F', 0, 1, 1, 0});
    w.raw({0, 1, 0, 1, 0, 0});
    w.raw({0xFF, 0xDB}).be16(67).u8(0).fill(64, 1);
    w.raw({0xFF, frame_marker}).be16(11).u8(8).be16(height).be16(width).raw({1, 1, sampling, 0});
    w.raw({0xFF, 0xC4}).be16(20).u8(0).fill(16).u8(0);
    w.raw({0xFF, 0xDA}).be16(8).raw({1, 1, 0, 0, 63, 0});
    w.raw({0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD0, 0x78}).fill(scan - 8, 0x55);
    return w.raw({0xFF, 0xD9}).bytes;
}

constexpr std::size_t jpeg_frame = 2 + 18 + 69;
constexpr std::size_t jpeg_scan = jpeg_frame + 13 + 22;

// An icon file with one 16 x 16 entry of `bits` per pixel.
Bytes icon_file(unsigned bits = 32) {
    const std::uint32_t table = bits <= 8 ? 4u << bits : 0;
    const std::uint32_t colour = (bits * 16 + 31) / 32 * 4 * 16, mask = 4 * 16;
    Writer w;
    w.u16(0).u16(1).u16(1).raw({16, 16, 0, 0}).u16(1).u16(bits).u32(40 + table + colour + mask);
    w.u32(22).u32(40).u32(16).u32(32).u16(1).u16(bits).u32(0).u32(colour + mask).fill(16);
    return w.fill(table + colour + mask).bytes;
}

// An enhanced metafile: header with the frame (0.01 mm), one rectangle, end.
Bytes emf_file(std::int32_t right, std::int32_t bottom) {
    Writer w;
    w.u32(1).u32(88).u32(0).u32(0).u32(96).u32(48).u32(0).u32(0);
    w.u32(static_cast<std::uint32_t>(right)).u32(static_cast<std::uint32_t>(bottom));
    w.u32(0x464D4520).u32(0x10000).u32(88 + 24 + 20).u32(3).u32(0).u32(0).u32(0).u32(0);
    w.u32(1024).u32(768).u32(320).u32(240);
    w.u32(43).u32(24).u32(10).u32(10).u32(50).u32(30);     // EMR_RECTANGLE
    return w.u32(14).u32(20).u32(0).u32(16).u32(20).bytes; // EMR_EOF
}

// The 18-byte metafile header, one Rectangle record and the end record.
Bytes plain_metafile() {
    Writer w;
    w.u16(1).u16(9).u16(0x300).u32(9 + 7 + 3).u16(0).u32(7).u16(0);
    w.u32(7).u16(0x041B).u16(75).u16(150).u16(25).u16(50); // META_RECTANGLE
    return w.u32(3).u16(0).bytes;
}

Bytes placeable_metafile(unsigned right, unsigned bottom, unsigned units_per_inch) {
    Writer w;
    w.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(right).u16(bottom).u16(units_per_inch).u32(0);
    return w.u16(0).append(plain_metafile()).bytes;
}

Bytes add(Bytes bytes, std::initializer_list<std::uint8_t> more) {
    bytes.insert(bytes.end(), more);
    return bytes;
}

std::string describe(const std::optional<PictureHeader>& header) {
    if (!header)
        return "nothing";
    const char* names[] = {"bitmap", "gif", "jpeg", "icon", "emf", "wmf"};
    return std::string(names[static_cast<int>(header->format)]) + " " +
           std::to_string(header->width) + "x" + std::to_string(header->height) +
           (header->rows_top_first ? " top first" : "");
}

TEST(PictureFile, FormatAndSizeOnlyWhenTheFileHoldsEverything) {
    const Bytes rgb = bitmap_file(100, 60, 24), pal = bitmap_file(9, 2, 8);
    const Bytes rle = cut(with(with(bitmap_file(10, 4, 8), 30, 1), 34, 6), 14 + 40 + 1024 + 6);
    const Bytes gif = gif_file(60, 40, 60, 40), jpeg = jpeg_file(4000, 3000), icon = icon_file();
    const Bytes emf = emf_file(2540, 1270), wmf = placeable_metafile(200, 100, 96);
    // An EXIF-like block holding a thumbnail that ends in FF D9, and the file
    // cut in its scan: the thumbnail's end is not the picture's.
    Writer thumbnail;
    thumbnail.raw({0xFF, 0xD8, 0xFF, 0xE1}).be16(8).raw({0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0x00});
    const Bytes rest = jpeg_file(640, 480);
    thumbnail.bytes.insert(thumbnail.bytes.end(), rest.begin() + 2, rest.end() - 2);
    Writer png_icon; // a PNG entry of 256 x 256: signature, IHDR length and type, IHDR
    png_icon.u16(0).u16(1).u16(1).raw({0, 0, 0, 0}).u16(1).u16(32).u32(33).u32(22);
    png_icon.raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}).u32(0x0D000000).fill(21);
    struct Case {
        const char* label;
        Bytes file;
        const char* expected;
    } const cases[] = {
        {"BMP 1 bit", bitmap_file(33, 5, 1), "bitmap 33x5"},
        {"BMP 8 bits", pal, "bitmap 9x2"},
        {"BMP 24 bits", rgb, "bitmap 100x60"},
        {"BMP rows top first", bitmap_file(4, -6, 24), "bitmap 4x6 top first"},
        {"BMP old 12-byte header", bitmap_file(5, 5, 8, 12), "bitmap 5x5"},
        {"BMP version 5 header", bitmap_file(5, 5, 24, 124), "bitmap 5x5"},
        {"BMP run-length coded", rle, "bitmap 10x4"},
        {"BMP largest allowed width", bitmap_file(8192, 1, 1), "bitmap 8192x1"},
        {"BMP cut in the info header", cut(rgb, 30), "nothing"},
        {"BMP cut in the colour table", cut(pal, 14 + 40 + 500), "nothing"},
        {"BMP cut in the pixels", cut(rgb, rgb.size() / 2), "nothing"},
        {"BMP last pixel byte missing", cut(rgb, rgb.size() - 1), "nothing"},
        {"BMP claims 60000 x 60000", with(with(rgb, 18, 60000), 22, 60000), "nothing"},
        {"BMP claims 10^8 rows top first", with(rgb, 22, -100000000u), "nothing"},
        {"BMP width 0", with(rgb, 18, 0), "nothing"},
        {"BMP height 0", with(rgb, 22, 0), "nothing"},
        {"BMP 2 planes", with(rgb, 26, 2, 2), "nothing"},
        {"BMP 3 bits per pixel", with(rgb, 28, 3, 2), "nothing"},
        {"BMP more colours than 8 bits hold", with(pal, 46, 257), "nothing"},
        {"BMP unknown header size", with(rgb, 14, 44), "nothing"},
        {"BMP pixels before the colour table", with(pal, 10, 54), "nothing"},
        {"BMP pixel offset past the end", with(rgb, 10, 1u << 30), "nothing"},
        {"BMP run-length data past the end", with(rle, 34, 7), "nothing"},
        {"BMP run-length rows top first", with(rle, 22, -4u), "nothing"},
        {"BMP PNG compression", with(rgb, 30, 5), "nothing"},
        {"GIF", gif, "gif 60x40"},
        {"GIF87a", with(gif, 3, '8' | '7' << 8, 2), "gif 60x40"},
        {"GIF90a", with(gif, 3, '9' | '0' << 8, 2), "nothing"},
        {"GIF no logical screen size", gif_file(0, 0, 20, 10), "gif 20x10"},
        {"GIF without the trailer", cut(gif, gif.size() - 1), "gif 60x40"},
        {"GIF cut in the colour table", cut(gif, 15), "nothing"},
        {"GIF cut in the extension", cut(gif, 20), "nothing"},
        {"GIF cut in the image descriptor", cut(gif, gif_descriptor + 5), "nothing"},
        {"GIF cut in the pixels", cut(gif, gif.size() - 3), "nothing"},
        {"GIF claims 65535 x 65535", gif_file(60, 40, 65535, 65535), "nothing"},
        // Five bytes of sub-blocks: at most 13 codes of 3 bits, 4096 dots each.
        {"GIF as many dots as its data holds", gif_file(0, 0, 208, 256), "gif 208x256"},
        {"GIF more dots than its data holds", gif_file(0, 0, 209, 256), "nothing"},
        {"GIF screen of 65535 x 65535", gif_file(65535, 65535, 60, 40), "nothing"},
        {"GIF image of 0 x 40", gif_file(60, 40, 0, 40), "nothing"},
        {"GIF trailer before any image", add(cut(gif, gif_descriptor), {0x3B}), "nothing"},
        {"GIF code size 0", with(gif, gif_descriptor + 10, 0, 1), "nothing"},
        {"JPEG baseline", jpeg, "jpeg 4000x3000"},
        {"JPEG progressive", jpeg_file(17, 9, 0xC2), "jpeg 17x9"},
        {"JPEG largest allowed", jpeg_file(8192, 8192), "jpeg 8192x8192"},
        {"JPEG a row past the pixel budget", jpeg_file(8192, 8193), "nothing"},
        {"JPEG claims 65000 x 65000", jpeg_file(65000, 65000), "nothing"},
        {"JPEG one bit of scan per 8 x 8 unit", jpeg_file(64, 64, 0xC0, 8), "jpeg 64x64"},
        {"JPEG a byte short of one bit per unit", jpeg_file(72, 64, 0xC0, 8), "nothing"},
        {"JPEG a bit per 16 x 16 unit", jpeg_file(128, 128, 0xC0, 8, 0x22), "jpeg 128x128"},
        {"JPEG progressive, 8 bytes of scan", jpeg_file(8000, 8000, 0xC2, 8), "nothing"},
        // Arithmetic coding can spend less than a bit on a unit: only the budget holds.
        {"JPEG arithmetic, 8 bytes of scan", jpeg_file(4000, 3000, 0xC9, 8), "jpeg 4000x3000"},
        {"JPEG height from a later marker", jpeg_file(640, 0), "nothing"},
        {"JPEG cut in the frame header", cut(jpeg, jpeg_frame + 6), "nothing"},
        {"JPEG cut before the scan", cut(jpeg, jpeg_scan), "nothing"},
        {"JPEG cut in the scan", cut(jpeg, jpeg.size() - 3), "nothing"},
        {"JPEG end marker missing", cut(jpeg, jpeg.size() - 2), "nothing"},
        {"JPEG thumbnail end before a cut scan", thumbnail.bytes, "nothing"},
        {"JPEG scan without a frame", with(jpeg, jpeg_frame + 1, 0xE2, 1), "nothing"},
        {"JPEG segment longer than the file", with(jpeg, 4, 0xFFFF, 2), "nothing"},
        {"JPEG end of image before any scan", {0xFF, 0xD8, 0xFF, 0xD9}, "nothing"},
        {"icon 32 bits", icon, "icon 16x16"},
        {"icon 4 bits", icon_file(4), "icon 16x16"},
        {"icon PNG entry of 256", png_icon.bytes, "icon 256x256"},
        {"icon no entries", with(icon, 4, 0, 2), "nothing"},
        {"icon cut in the directory", cut(icon, 12), "nothing"},
        {"icon cut in the image", cut(icon, icon.size() - 1), "nothing"},
        {"icon entry past the end", with(icon, 18, 10000), "nothing"},
        {"icon entry inside the directory", with(icon, 18, 6), "nothing"},
        {"icon image 300 wide", with(icon, 26, 300), "nothing"},
        {"icon odd image height", with(icon, 30, 31), "nothing"},
        {"EMF 1 x 0.5 inch", emf, "emf 2540x1270"},
        {"EMF cut in a record", cut(emf, emf.size() - 4), "nothing"},
        {"EMF total past the end", with(emf, 48, 4096), "nothing"},
        {"EMF frame upside down", emf_file(-2540, 1270), "nothing"},
        {"EMF record of 6 bytes", with(emf, 88 + 4, 6), "nothing"},
        {"EMF last record not the end", with(emf, 88 + 24, 43), "nothing"},
        // 200 units at 96 to the inch: 200 x 2540 / 96 = 5291.7.
        {"WMF 200 x 100 at 96 per inch", wmf, "wmf 5292x2646"},
        {"WMF 0 units per inch", placeable_metafile(200, 100, 0), "nothing"},
        {"WMF empty box", placeable_metafile(0, 100, 96), "nothing"},
        // 5 units at 53248 to the inch: 0.24 HIMETRIC, rounded to 0.
        {"WMF box under 0.01 mm high", placeable_metafile(1440, 5, 53248), "nothing"},
        {"WMF box just 0.01 mm wide", placeable_metafile(11, 100, 53248), "wmf 1x5"},
        {"WMF cut in a record", cut(wmf, wmf.size() - 3), "nothing"},
        {"WMF size past the end", with(wmf, 22 + 6, 4096), "nothing"},
        {"WMF no end record", with(wmf, 22 + 18 + 14 + 4, 0x0103, 2), "nothing"},
        {"WMF without the placeable header", plain_metafile(), "nothing"},
        {"empty", {}, "nothing"},
        {"text", {'B', 'M', 'P', '?'}, "nothing"},
        {"PNG", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, "nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(describe(read_picture_header(c.file)), c.expected);
    }
}

TEST(PictureFile, BitmapFileLayout) {
    struct Case {
        const char* label;
        Bytes file;
        const char* expected; // info offset+bytes, pixels at, stride x rows, order
    } const cases[] = {
        {"24 bits", bitmap_file(5, 3, 24), "14+40 @54 16x3 bottom-up"},
        {"24 bits top first", bitmap_file(5, -3, 24), "14+40 @54 16x3 top-down"},
        {"8 bits", bitmap_file(9, 2, 8), "14+1064 @1078 12x2 bottom-up"},
        {"1 bit top first", bitmap_file(33, -4, 1), "14+48 @62 8x4 top-down"},
        {"version 5 header", bitmap_file(2, 2, 32, 124), "14+124 @138 8x2 bottom-up"},
        {"old 12-byte header", bitmap_file(5, 5, 8, 12), "nothing"},
        {"truncated", cut(bitmap_file(5, 3, 24), 60), "nothing"},
        {"not a bitmap file", gif_file(1, 1, 1, 1), "nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<BitmapFileLayout> l = bitmap_file_layout(c.file);
        EXPECT_EQ(!l ? "nothing"
                     : std::to_string(l->info_offset) + "+" + std::to_string(l->info_bytes) + " @" +
                           std::to_string(l->pixel_offset) + " " + std::to_string(l->row_stride) +
                           "x" + std::to_string(l->rows) +
                           (l->rows_top_first ? " top-down" : " bottom-up"),
                  c.expected);
    }
}

// Rounded to nearest with halves away from zero, as MulDiv rounds.
TEST(PictureFile, HimetricToPixels) {
    EXPECT_EQ(himetric_to_pixels(1588, 96), 60);
    EXPECT_EQ(himetric_to_pixels(127, 10), 1);
    EXPECT_EQ(himetric_to_pixels(126, 10), 0);
    EXPECT_EQ(himetric_to_pixels(-127, 10), -1);
}

} // namespace
} // namespace tq350::logo
