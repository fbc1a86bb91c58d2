// The checks a picture file passes before a decoder sees it. The files are
// built here byte by byte, so each case says exactly what is in it.
#include "logo/picture_file_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tq350::logo {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Writer {
    Bytes bytes;
    Writer& u8(unsigned v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Writer& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Writer& u16_big(unsigned v) { return u8(v >> 8 & 0xFF).u8(v & 0xFF); }
    Writer& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Writer& raw(std::initializer_list<unsigned> list) {
        for (unsigned v : list)
            u8(v);
        return *this;
    }
    Writer& fill(std::size_t count, unsigned v = 0) {
        bytes.insert(bytes.end(), count, static_cast<std::uint8_t>(v));
        return *this;
    }
};

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// The file with a little-endian value written over its bytes at `at`.
Bytes with_value(Bytes bytes, std::size_t at, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return bytes;
}

Bytes with_u32(Bytes bytes, std::size_t at, std::uint32_t v) {
    return with_value(std::move(bytes), at, v, 4);
}

Bytes with_u16(Bytes bytes, std::size_t at, unsigned v) {
    return with_value(std::move(bytes), at, v, 2);
}

// A bitmap file with a 40-byte header (or the old 12-byte one), full colour
// table for up to 8 bits, and zero pixels.
Bytes bitmap_file(std::int32_t width, std::int32_t height, unsigned bits, unsigned header = 40) {
    const std::uint32_t entries = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t entry_size = header == 12 ? 3 : 4;
    const std::uint32_t offset = 14 + header + entries * entry_size;
    const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
    const std::uint32_t stride = (bits * static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    Writer w;
    w.raw({'B', 'M'}).u32(offset + stride * rows).u32(0).u32(offset);
    if (header == 12) {
        w.u32(12).u16(static_cast<unsigned>(width)).u16(rows).u16(1).u16(bits);
    } else {
        w.u32(header)
            .u32(static_cast<std::uint32_t>(width))
            .u32(static_cast<std::uint32_t>(height));
        w.u16(1).u16(bits).u32(0).u32(stride * rows).u32(2835).u32(2835).u32(0).u32(0);
        w.fill(header - 40);
    }
    w.fill(entries * entry_size, 0x80);
    w.fill(static_cast<std::size_t>(stride) * rows);
    return w.bytes;
}

// A GIF of one image with a two-colour table, a graphic control extension and
// a few bytes standing for the compressed pixels.
Bytes gif_file(unsigned screen_width, unsigned screen_height, unsigned width, unsigned height) {
    Writer w;
    w.raw({'G', 'I', 'F', '8', '9', 'a'}).u16(screen_width).u16(screen_height).raw({0x80, 0, 0});
    w.raw({0, 0, 0, 255, 255, 255});                       // global colour table
    w.raw({0x21, 0xF9, 4, 0x01, 0, 0, 0, 0});              // transparency of index 0
    w.u8(0x2C).u16(0).u16(0).u16(width).u16(height).u8(0); // image descriptor
    w.u8(2).raw({3, 0x84, 0x8F, 0x59}).u8(0);              // code size, one sub-block
    w.u8(0x3B);
    return w.bytes;
}

constexpr std::size_t gif_descriptor = 13 + 6 + 8;

// A baseline JPEG's markers with dummy tables and one component, and a scan
// of `scan` bytes: by default just enough for one bit per minimum coded unit
// (8 x 8 dots times the sampling factors, 0x22 for 2 across and 2 down).
Bytes jpeg_file(unsigned width, unsigned height, unsigned frame_marker = 0xC0, std::size_t scan = 0,
                unsigned sampling = 0x11) {
    const std::size_t units = (width + 8 * (sampling >> 4) - 1) / (8 * (sampling >> 4)) *
                              ((height + 8 * (sampling & 15) - 1) / (8 * (sampling & 15)));
    if (scan == 0)
        scan = std::max<std::size_t>(8, (units + 7) / 8);
    Writer w;
    w.raw({0xFF, 0xD8});
    w.raw({0xFF, 0xE0})
        .u16_big(16)
        .raw({'J', 'F', 'I', 'F', 0, 1, 1, 0})
        .u16_big(1)
        .u16_big(1)
        .raw({0, 0});
    w.raw({0xFF, 0xDB}).u16_big(67).u8(0).fill(64, 1);
    w.raw({0xFF, frame_marker})
        .u16_big(11)
        .u8(8)
        .u16_big(height)
        .u16_big(width)
        .u8(1)
        .raw({1, sampling, 0});
    w.raw({0xFF, 0xC4}).u16_big(20).u8(0).fill(16).u8(0);
    w.raw({0xFF, 0xDA}).u16_big(8).u8(1).raw({1, 0}).raw({0, 63, 0});
    w.raw({0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD0, 0x78}).fill(scan - 8, 0x55);
    w.raw({0xFF, 0xD9});
    return w.bytes;
}

constexpr std::size_t jpeg_frame = 2 + 18 + 69;
constexpr std::size_t jpeg_scan = jpeg_frame + 13 + 22;

// An icon file with one 16 x 16 entry of `bits` per pixel.
Bytes icon_file(unsigned bits = 32) {
    const std::uint32_t table = bits <= 8 ? 4u << bits : 0;
    const std::uint32_t colour = (bits * 16 + 31) / 32 * 4 * 16;
    const std::uint32_t mask = 4 * 16;
    const std::uint32_t size = 40 + table + colour + mask;
    Writer w;
    w.u16(0).u16(1).u16(1);
    w.u8(16).u8(16).u8(0).u8(0).u16(1).u16(bits).u32(size).u32(22);
    w.u32(40).u32(16).u32(32).u16(1).u16(bits).u32(0).u32(colour + mask).fill(16);
    w.fill(table + colour + mask);
    return w.bytes;
}

// An enhanced metafile: header with the frame (0.01 mm), one rectangle, end.
Bytes emf_file(std::int32_t frame_right, std::int32_t frame_bottom) {
    const std::uint32_t total = 88 + 24 + 20;
    Writer w;
    w.u32(1).u32(88).u32(0).u32(0).u32(96).u32(48);
    w.u32(0)
        .u32(0)
        .u32(static_cast<std::uint32_t>(frame_right))
        .u32(static_cast<std::uint32_t>(frame_bottom));
    w.u32(0x464D4520).u32(0x10000).u32(total).u32(3).u16(0).u16(0).u32(0).u32(0).u32(0);
    w.u32(1024).u32(768).u32(320).u32(240);
    w.u32(43).u32(24).u32(10).u32(10).u32(50).u32(30); // EMR_RECTANGLE
    w.u32(14).u32(20).u32(0).u32(16).u32(20);          // EMR_EOF
    return w.bytes;
}

// The 18-byte metafile header, one Rectangle record and the end record.
Bytes plain_metafile() {
    Writer w;
    w.u16(1).u16(9).u16(0x300).u32(9 + 7 + 3).u16(0).u32(7).u16(0);
    w.u32(7).u16(0x041B).u16(75).u16(150).u16(25).u16(50); // META_RECTANGLE
    w.u32(3).u16(0);                                       // end
    return w.bytes;
}

Bytes placeable_metafile(int right, int bottom, unsigned units_per_inch) {
    Writer w;
    w.u32(0x9AC6CDD7)
        .u16(0)
        .u16(0)
        .u16(0)
        .u16(static_cast<unsigned>(right))
        .u16(static_cast<unsigned>(bottom))
        .u16(units_per_inch)
        .u32(0)
        .u16(0);
    const Bytes body = plain_metafile();
    w.bytes.insert(w.bytes.end(), body.begin(), body.end());
    return w.bytes;
}

std::string describe(const std::optional<PictureHeader>& header) {
    if (!header)
        return "nothing";
    const char* names[] = {"bitmap", "gif", "jpeg", "icon", "emf", "wmf"};
    return std::string(names[static_cast<int>(header->format)]) + " " +
           std::to_string(header->width) + "x" + std::to_string(header->height);
}

struct Case {
    const char* label;
    Bytes file;
    const char* expected;
};

void check_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(describe(read_picture_header(c.file)), c.expected);
    }
}

TEST(PictureFile, BitmapFiles) {
    const Bytes rgb24 = bitmap_file(100, 60, 24);
    const Bytes rle8 = [] {
        Bytes b = bitmap_file(10, 4, 8);
        b = with_u32(b, 30, 1); // BI_RLE8
        b = with_u32(b, 34, 6); // compressed size
        return cut(b, 14 + 40 + 1024 + 6);
    }();
    check_cases({
        {"1 bit", bitmap_file(33, 5, 1), "bitmap 33x5"},
        {"4 bits", bitmap_file(7, 3, 4), "bitmap 7x3"},
        {"8 bits", bitmap_file(9, 2, 8), "bitmap 9x2"},
        {"24 bits", rgb24, "bitmap 100x60"},
        {"32 bits", bitmap_file(3, 3, 32), "bitmap 3x3"},
        {"rows top first", bitmap_file(4, -6, 24), "bitmap 4x6"},
        {"old 12-byte header", bitmap_file(5, 5, 8, 12), "bitmap 5x5"},
        {"version 5 header", bitmap_file(5, 5, 24, 124), "bitmap 5x5"},
        {"run-length coded", rle8, "bitmap 10x4"},
        {"largest allowed width", bitmap_file(8192, 1, 1), "bitmap 8192x1"},
        {"empty", {}, "nothing"},
        {"file header only", cut(rgb24, 14), "nothing"},
        {"cut in the info header", cut(rgb24, 30), "nothing"},
        {"cut in the colour table", cut(bitmap_file(9, 2, 8), 14 + 40 + 500), "nothing"},
        {"cut in the pixels", cut(rgb24, rgb24.size() / 2), "nothing"},
        {"last pixel byte missing", cut(rgb24, rgb24.size() - 1), "nothing"},
        {"claims 60000 x 60000", with_u32(with_u32(rgb24, 18, 60000), 22, 60000), "nothing"},
        {"claims 10^8 rows top first", with_u32(rgb24, 22, static_cast<std::uint32_t>(-100000000)),
         "nothing"},
        {"width 0", with_u32(rgb24, 18, 0), "nothing"},
        {"height 0", with_u32(rgb24, 22, 0), "nothing"},
        {"2 planes", with_u16(rgb24, 26, 2), "nothing"},
        {"3 bits per pixel", with_u16(rgb24, 28, 3), "nothing"},
        {"more colours than 8 bits hold", with_u32(bitmap_file(9, 2, 8), 46, 257), "nothing"},
        {"unknown header size", with_u32(rgb24, 14, 44), "nothing"},
        {"pixels before the colour table", with_u32(bitmap_file(9, 2, 8), 10, 54), "nothing"},
        {"pixel offset past the end", with_u32(rgb24, 10, 1u << 30), "nothing"},
        {"run-length data past the end", with_u32(rle8, 34, 7), "nothing"},
        {"run-length rows top first", with_u32(rle8, 22, static_cast<std::uint32_t>(-4)),
         "nothing"},
        {"PNG compression", with_u32(rgb24, 30, 5), "nothing"},
    });
}

TEST(PictureFile, BitmapFileLayout) {
    struct LayoutCase {
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
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<BitmapFileLayout> layout = bitmap_file_layout(c.file);
        std::string text = "nothing";
        if (layout)
            text = std::to_string(layout->info_offset) + "+" + std::to_string(layout->info_bytes) +
                   " @" + std::to_string(layout->pixel_offset) + " " +
                   std::to_string(layout->row_stride) + "x" + std::to_string(layout->rows) +
                   (layout->rows_top_first ? " top-down" : " bottom-up");
        EXPECT_EQ(text, c.expected);
    }
    const std::optional<PictureHeader> top_down = read_picture_header(bitmap_file(4, -6, 24));
    ASSERT_TRUE(top_down);
    EXPECT_TRUE(top_down->rows_top_first);
    EXPECT_FALSE(read_picture_header(bitmap_file(4, 6, 24))->rows_top_first);
}

TEST(PictureFile, GifFiles) {
    const Bytes gif = gif_file(60, 40, 60, 40);
    check_cases({
        {"one image", gif, "gif 60x40"},
        {"no logical screen size", gif_file(0, 0, 20, 10), "gif 20x10"},
        {"without the trailer", cut(gif, gif.size() - 1), "gif 60x40"},
        {"cut in the colour table", cut(gif, 15), "nothing"},
        {"cut in the extension", cut(gif, 20), "nothing"},
        {"cut in the image descriptor", cut(gif, gif_descriptor + 5), "nothing"},
        {"cut in the pixels", cut(gif, gif.size() - 3), "nothing"},
        {"claims 65535 x 65535", gif_file(60, 40, 65535, 65535), "nothing"},
        // Five bytes of sub-blocks: at most 13 codes of 3 bits, 4096 dots each.
        {"as many dots as its data can hold", gif_file(0, 0, 208, 256), "gif 208x256"},
        {"more dots than its data can hold", gif_file(0, 0, 209, 256), "nothing"},
        {"claims 8000 x 8000 with five bytes of data", gif_file(0, 0, 8000, 8000), "nothing"},
        {"screen of 65535 x 65535", gif_file(65535, 65535, 60, 40), "nothing"},
        {"image of 0 x 40", gif_file(60, 40, 0, 40), "nothing"},
        {"trailer before any image",
         [&] {
             Bytes b = cut(gif, gif_descriptor);
             b.push_back(0x3B);
             return b;
         }(),
         "nothing"},
        {"code size 0",
         [&] {
             Bytes b = gif;
             b[gif_descriptor + 10] = 0;
             return b;
         }(),
         "nothing"},
        {"GIF87a", with_u16(gif, 3, '8' | '7' << 8), "gif 60x40"},
        {"GIF90a", with_u16(gif, 3, '9' | '0' << 8), "nothing"},
    });
}

TEST(PictureFile, JpegFiles) {
    const Bytes jpeg = jpeg_file(4000, 3000);
    const Bytes with_thumbnail = [] {
        // An EXIF-like block holding a thumbnail that ends in FF D9, and the
        // file cut in its scan: the thumbnail's end is not the picture's.
        Writer w;
        w.raw({0xFF, 0xD8, 0xFF, 0xE1}).u16_big(8).raw({0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0x00});
        Bytes rest = jpeg_file(640, 480);
        w.bytes.insert(w.bytes.end(), rest.begin() + 2, rest.end() - 2);
        return w.bytes;
    }();
    check_cases({
        {"baseline", jpeg, "jpeg 4000x3000"},
        {"progressive", jpeg_file(17, 9, 0xC2), "jpeg 17x9"},
        {"largest allowed", jpeg_file(8192, 8192), "jpeg 8192x8192"},
        {"claims 65000 x 65000", jpeg_file(65000, 65000), "nothing"},
        {"one bit of scan per 8 x 8 unit", jpeg_file(64, 64, 0xC0, 8), "jpeg 64x64"},
        {"a byte short of one bit per unit", jpeg_file(72, 64, 0xC0, 8), "nothing"},
        {"one bit per 16 x 16 unit, sampled 2 x 2", jpeg_file(128, 128, 0xC0, 8, 0x22),
         "jpeg 128x128"},
        {"claims 8000 x 8000 with 8 bytes of scan", jpeg_file(8000, 8000, 0xC0, 8), "nothing"},
        {"progressive, 8 bytes of scan", jpeg_file(8000, 8000, 0xC2, 8), "nothing"},
        // Arithmetic coding can spend less than a bit on a unit: only the budget holds.
        {"arithmetic coded, 8 bytes of scan", jpeg_file(4000, 3000, 0xC9, 8), "jpeg 4000x3000"},
        {"height from a later marker", jpeg_file(640, 0), "nothing"},
        {"start of image only", cut(jpeg, 3), "nothing"},
        {"cut in the frame header", cut(jpeg, jpeg_frame + 6), "nothing"},
        {"cut before the scan", cut(jpeg, jpeg_scan), "nothing"},
        {"cut in the scan", cut(jpeg, jpeg.size() - 3), "nothing"},
        {"end marker missing", cut(jpeg, jpeg.size() - 2), "nothing"},
        {"thumbnail end before a cut scan", with_thumbnail, "nothing"},
        {"scan without a frame",
         [] {
             Bytes b = jpeg_file(10, 10);
             b[jpeg_frame + 1] = 0xE2; // the frame header becomes an application block
             return b;
         }(),
         "nothing"},
        {"segment longer than the file", with_u16(jpeg, 4, 0xFFFF), "nothing"},
        {"end of image before any scan",
         [] {
             Writer w;
             w.raw({0xFF, 0xD8, 0xFF, 0xD9});
             return w.bytes;
         }(),
         "nothing"},
    });
}

TEST(PictureFile, IconFiles) {
    const Bytes icon = icon_file();
    const Bytes png_entry = [] {
        Writer w;
        w.u16(0).u16(1).u16(1).u8(0).u8(0).u8(0).u8(0).u16(1).u16(32).u32(33).u32(22);
        w.raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})
            .u32(0x0D000000)
            .raw({'I', 'H', 'D', 'R'})
            .fill(13)
            .fill(4);
        return w.bytes;
    }();
    check_cases({
        {"32 bits", icon, "icon 16x16"},
        {"4 bits", icon_file(4), "icon 16x16"},
        {"PNG entry of 256", png_entry, "icon 256x256"},
        {"no entries", with_u16(icon, 4, 0), "nothing"},
        {"cut in the directory", cut(icon, 12), "nothing"},
        {"cut in the image", cut(icon, icon.size() - 1), "nothing"},
        {"entry past the end", with_u32(icon, 18, 10000), "nothing"},
        {"entry inside the directory", with_u32(icon, 18, 6), "nothing"},
        {"image 300 wide", with_u32(icon, 26, 300), "nothing"},
        {"odd image height", with_u32(icon, 30, 31), "nothing"},
    });
}

TEST(PictureFile, Metafiles) {
    const Bytes emf = emf_file(2540, 1270);
    const Bytes wmf = placeable_metafile(200, 100, 96);
    check_cases({
        {"enhanced, 1 x 0.5 inch", emf, "emf 2540x1270"},
        {"enhanced, cut in a record", cut(emf, emf.size() - 4), "nothing"},
        {"enhanced, header only", cut(emf, 88), "nothing"},
        {"enhanced, total past the end", with_u32(emf, 48, 4096), "nothing"},
        {"enhanced, frame upside down", emf_file(-2540, 1270), "nothing"},
        {"enhanced, record of 6 bytes", with_u32(emf, 88 + 4, 6), "nothing"},
        {"enhanced, last record not the end", with_u32(emf, 88 + 24, 43), "nothing"},
        // 200 units at 96 to the inch: 200 x 2540 / 96 = 5291.7.
        {"placeable, 200 x 100 at 96 per inch", wmf, "wmf 5292x2646"},
        {"placeable, 1440 per inch", placeable_metafile(1440, 720, 1440), "wmf 2540x1270"},
        {"placeable, 0 units per inch", placeable_metafile(200, 100, 0), "nothing"},
        {"placeable, empty box", placeable_metafile(0, 100, 96), "nothing"},
        // 5 units at 53248 to the inch: 0.24 HIMETRIC, rounded to 0.
        {"placeable, box under 0.01 mm high", placeable_metafile(1440, 5, 53248), "nothing"},
        {"placeable, box just 0.01 mm wide", placeable_metafile(11, 100, 53248), "wmf 1x5"},
        {"placeable, cut in a record", cut(wmf, wmf.size() - 3), "nothing"},
        {"placeable, size past the end", with_u32(wmf, 22 + 6, 4096), "nothing"},
        {"placeable, no end record", with_u16(wmf, 22 + 18 + 14 + 4, 0x0103), "nothing"},
        {"plain, without the placeable header", plain_metafile(), "nothing"},
    });
}

TEST(PictureFile, PixelBudget) {
    struct BudgetCase {
        std::int64_t width, height;
        bool expected;
    } const cases[] = {
        {8192, 8192, true},    {8193, 8192, false}, {1, 1 << 26, true}, {1, (1 << 26) + 1, false},
        {65535, 65535, false}, {0, 10, false},      {10, 0, false},     {-5, -5, false},
        {4000, 3000, true},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(within_picture_budget(c.width, c.height), c.expected);
    }
}

TEST(PictureFile, HimetricToPixels) {
    struct ConversionCase {
        std::int64_t himetric;
        int dpi;
        std::int64_t expected;
    } const cases[] = {
        {2540, 96, 96}, {2540, 120, 120}, {1588, 96, 60}, {847, 96, 32},
        {127, 10, 1}, // exactly half a pixel rounds up
        {126, 10, 0},   {-2540, 96, -96}, {-127, 10, -1}, {0, 96, 0},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.himetric) + " at " + std::to_string(c.dpi));
        EXPECT_EQ(himetric_to_pixels(c.himetric, c.dpi), c.expected);
    }
}

TEST(PictureFile, NothingKnownIsNothing) {
    check_cases({
        {"empty", {}, "nothing"},
        {"text", {'B', 'M', 'P', '?'}, "nothing"},
        {"PNG", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}, "nothing"},
        {"one byte", {0xFF}, "nothing"},
    });
}

} // namespace
} // namespace tq350::logo
