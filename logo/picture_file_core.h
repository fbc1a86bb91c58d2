// What a picture file says about itself, checked before any decoder sees it.
// The platform's decoders trust the sizes in a file's headers: under Wine a
// bitmap file cut short crashes LoadImage, and a JPEG whose frame header
// claims 65000 x 65000 dots makes the decoder write past a 4 GB buffer. So the
// loader reads the file, walks its headers here against the bytes actually
// present, and hands over only files that hold everything they promise, with
// a picture small enough to render.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tq350::logo {

enum class PictureFormat { bitmap, gif, jpeg, icon, enhanced_metafile, windows_metafile };

// The most pixels a loaded picture may have: 8192 x 8192, room for a
// 48-megapixel photograph. At 32 bits per pixel the rendered picture is then
// at most 256 MB, and the decoder's own copy about as much again.
inline constexpr std::uint64_t max_picture_pixels = std::uint64_t{1} << 26;

// A file larger than this is not read at all: the largest picture at 32 bits
// per pixel with room for its headers. No format needs more.
inline constexpr std::uint64_t max_picture_file_bytes = 4 * max_picture_pixels + 65536;

// Both sides at least 1 and width x height within max_picture_pixels.
bool within_picture_budget(std::int64_t width, std::int64_t height);

struct PictureHeader {
    PictureFormat format = PictureFormat::bitmap;
    // In pixels for bitmap, GIF, JPEG and icon files. For metafiles, whose
    // pixel size depends on the screen, in HIMETRIC units (0.01 mm).
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // A bitmap file that stores its top row first (a negative height).
    bool rows_top_first = false;
};

// The format and natural size of a picture file held whole in memory. The
// format is what the first bytes say, whatever the file is called: "BM",
// "GIF87a" or "GIF89a", FF D8 FF, an icon directory (00 00 01 00), an enhanced
// metafile's header record with " EMF" at offset 40, or a placeable metafile
// (D7 CD C6 9A). Then every size its headers give is checked against the bytes
// present: nothing for an empty or truncated file, for one whose raster
// picture exceeds max_picture_pixels, for a GIF or Huffman-coded JPEG whose
// compressed data is too short to fill the size it claims, and for anything
// that is none of these. A Windows metafile without the placeable header
// gives nothing too: it carries no size of its own, so there is nothing to
// render it at.
std::optional<PictureHeader> read_picture_header(std::span<const std::uint8_t> file);

// Where the parts of an uncompressed bitmap file (no run-length coding) lie,
// so that its DIB section can be made from the bytes already read: LoadImage
// under Wine makes an all-black section from a file whose rows are stored
// top row first.
struct BitmapFileLayout {
    // The info header with its masks and colour table, as BITMAPINFO wants it.
    std::uint64_t info_offset = 0;
    std::uint64_t info_bytes = 0;
    std::uint64_t pixel_offset = 0;
    std::uint64_t row_stride = 0;
    std::uint32_t rows = 0;
    bool rows_top_first = false;
};

// Nothing unless read_picture_header takes the file as an uncompressed bitmap
// file with a header of 40 bytes or more.
std::optional<BitmapFileLayout> bitmap_file_layout(std::span<const std::uint8_t> file);

// HIMETRIC units to pixels at `dpi` dots per inch, rounded to nearest with
// halves away from zero, as MulDiv(himetric, dpi, 2540) does.
std::int64_t himetric_to_pixels(std::int64_t himetric, int dpi);

} // namespace tq350::logo
