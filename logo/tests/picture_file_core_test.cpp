// The checks a picture file passes before a decoder sees it, on files built
// byte by byte.
#include "logo/picture_file_core.h"

#include "logo/tests/picture_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace tq350::logo {
namespace {

using namespace test;

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
        {"GIF trailer before any image", Writer{cut(gif, gif_descriptor)}.u8(0x3B).bytes,
         "nothing"},
        {"GIF code size 0", with(gif, gif_descriptor + 10, 0, 1), "nothing"},
        {"JPEG baseline", jpeg, "jpeg 4000x3000"},
        {"JPEG progressive", jpeg_file(17, 9, 0xC2), "jpeg 17x9"},
        {"JPEG largest allowed", jpeg_file(8192, 8192), "jpeg 8192x8192"},
        {"JPEG a row past the pixel budget", jpeg_file(8192, 8193), "nothing"},
        {"JPEG claims 65000 x 65000", jpeg_file(65000, 65000), "nothing"},
        {"JPEG one bit of scan per 8 x 8 unit", jpeg_file(64, 64, 0xC0, 8), "jpeg 64x64"},
        {"JPEG a byte short of one bit per unit", jpeg_file(72, 64, 0xC0, 8), "nothing"},
        {"JPEG a bit per 16 x 16 unit", jpeg_file(128, 128, 0xC0, 8, 0x22), "jpeg 128x128"},
        {"JPEG a unit of 16 x 8 too many", jpeg_file(128, 72, 0xC0, 8, 0x21), "nothing"},
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
        {"icon PNG entry of 256", png_icon_file(), "icon 256x256"},
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
