#include "logo/picture_file_core.h"

#include <algorithm>
#include <array>

#include "logo/logo_surfaces_core.h"

namespace tq350::logo {

namespace {

// Little-endian reads that refuse to leave the file: every offset a header
// gives is checked before it is followed.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint8_t u8(std::uint64_t offset) const { return bytes_[offset]; }
    std::uint16_t u16(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint16_t u16_big(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(bytes_[offset] << 8 | bytes_[offset + 1]);
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return std::uint32_t{u16(offset)} | std::uint32_t{u16(offset + 2)} << 16;
    }
    std::int16_t i16(std::uint64_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::int32_t i32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    bool starts_with(std::uint64_t offset, std::span<const std::uint8_t> magic) const {
        return has(offset, magic.size()) &&
               std::equal(magic.begin(), magic.end(), bytes_.begin() + offset);
    }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

  private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::array<std::uint8_t, 2> bitmap_magic{'B', 'M'};
constexpr std::array<std::uint8_t, 4> gif_magic{'G', 'I', 'F', '8'};
constexpr std::array<std::uint8_t, 3> jpeg_magic{0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 4> icon_magic{0x00, 0x00, 0x01, 0x00};
constexpr std::array<std::uint8_t, 4> placeable_magic{0xD7, 0xCD, 0xC6, 0x9A};
constexpr std::array<std::uint8_t, 8> png_magic{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t emf_signature = 0x464D4520; // " EMF"

std::optional<PictureHeader> raster(PictureFormat format, std::int64_t width, std::int64_t height) {
    if (!within_picture_budget(width, height)) {
        return std::nullopt;
    }
    return PictureHeader{format, static_cast<std::uint32_t>(width),
                         static_cast<std::uint32_t>(height)};
}

// --- Windows bitmap files ---

struct DibHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top row first
    std::uint32_t planes = 0;
    std::uint32_t bits_per_pixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t image_size = 0;
    std::uint32_t colours_used = 0;
};

constexpr std::uint32_t bi_rgb = 0;
constexpr std::uint32_t bi_rle8 = 1;
constexpr std::uint32_t bi_rle4 = 2;
constexpr std::uint32_t bi_bitfields = 3;

// The header kinds LoadImage reads: the old 12-byte one and the 40-byte one
// with its later extensions (52 and 56 with masks, version 4 and version 5).
bool known_dib_header_size(std::uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

std::optional<DibHeader> read_dib_header(const Reader& in, std::uint64_t at) {
    if (!in.has(at, 4)) {
        return std::nullopt;
    }
    DibHeader h;
    h.size = in.u32(at);
    if (!known_dib_header_size(h.size) || !in.has(at, h.size)) {
        return std::nullopt;
    }
    if (h.size == 12) {
        h.width = in.u16(at + 4);
        h.height = in.u16(at + 6);
        h.planes = in.u16(at + 8);
        h.bits_per_pixel = in.u16(at + 10);
        return h;
    }
    h.width = in.i32(at + 4);
    h.height = in.i32(at + 8);
    h.planes = in.u16(at + 12);
    h.bits_per_pixel = in.u16(at + 14);
    h.compression = in.u32(at + 16);
    h.image_size = in.u32(at + 20);
    h.colours_used = in.u32(at + 32);
    return h;
}

bool valid_depth(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool valid_compression(const DibHeader& h) {
    switch (h.compression) {
    case bi_rgb:
        return true;
    case bi_rle8:
        return h.bits_per_pixel == 8 && h.height > 0;
    case bi_rle4:
        return h.bits_per_pixel == 4 && h.height > 0;
    case bi_bitfields:
        return h.bits_per_pixel == 16 || h.bits_per_pixel == 32;
    default:
        return false;
    }
}

// Colour-table entries that follow the header: 2^bits for up to 8 bits unless
// fewer are listed, and only the listed ones above that.
std::optional<std::uint64_t> colour_table_entries(const DibHeader& h) {
    if (h.bits_per_pixel > 8) {
        return h.colours_used;
    }
    const std::uint64_t full = std::uint64_t{1} << h.bits_per_pixel;
    if (h.colours_used > full) {
        return std::nullopt;
    }
    return h.colours_used == 0 ? full : h.colours_used;
}

struct BitmapFile {
    PictureHeader header;
    BitmapFileLayout layout;
    bool uncompressed = false;
};

std::optional<BitmapFile> read_bitmap_layout(const Reader& in) {
    constexpr std::uint64_t file_header = 14;
    if (!in.has(0, file_header)) {
        return std::nullopt;
    }
    const std::uint32_t pixel_offset = in.u32(10);
    const std::optional<DibHeader> h = read_dib_header(in, file_header);
    if (!h || h->planes != 1 || !valid_depth(h->bits_per_pixel) || !valid_compression(*h) ||
        h->width <= 0 || h->height == 0) {
        return std::nullopt;
    }
    const std::int64_t rows = h->height < 0 ? -h->height : h->height;
    if (!within_picture_budget(h->width, rows)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> entries = colour_table_entries(*h);
    if (!entries) {
        return std::nullopt;
    }
    // Three masks follow a 40-byte header with bit fields; the longer headers hold them.
    const std::uint64_t masks = h->size == 40 && h->compression == bi_bitfields ? 12 : 0;
    const std::uint64_t table_end =
        file_header + h->size + masks + *entries * (h->size == 12 ? 3 : 4);
    if (!in.has(0, table_end)) {
        return std::nullopt;
    }
    // A zero offset means the pixels follow the colour table.
    const std::uint64_t pixels = pixel_offset == 0 ? table_end : pixel_offset;
    if (pixels < table_end || !in.has(pixels, 0)) {
        return std::nullopt;
    }
    const bool run_length = h->compression == bi_rle8 || h->compression == bi_rle4;
    const auto width = static_cast<std::uint32_t>(h->width);
    const std::uint64_t pixel_bytes =
        run_length ? h->image_size
                   : dib_image_size(width, static_cast<std::uint32_t>(rows), h->bits_per_pixel);
    if (pixel_bytes == 0 || !in.has(pixels, pixel_bytes)) {
        return std::nullopt;
    }
    BitmapFile file;
    file.header = {PictureFormat::bitmap, width, static_cast<std::uint32_t>(rows), h->height < 0};
    file.layout = {file_header,
                   table_end - file_header,
                   pixels,
                   dib_row_stride(width, h->bits_per_pixel),
                   static_cast<std::uint32_t>(rows),
                   h->height < 0};
    file.uncompressed = !run_length && h->size >= 40;
    return file;
}

std::optional<PictureHeader> read_bitmap_file(const Reader& in) {
    const std::optional<BitmapFile> file = read_bitmap_layout(in);
    if (!file) {
        return std::nullopt;
    }
    return file->header;
}

// --- GIF ---

// Skips a chain of data sub-blocks (a length byte, that many bytes, ... a zero
// length); the offset after the terminator, or nothing when the file ends first.
std::optional<std::uint64_t> skip_sub_blocks(const Reader& in, std::uint64_t at) {
    for (;;) {
        if (!in.has(at, 1)) {
            return std::nullopt;
        }
        const std::uint8_t length = in.u8(at);
        ++at;
        if (length == 0) {
            return at;
        }
        if (!in.has(at, length)) {
            return std::nullopt;
        }
        at += length;
    }
}

std::uint64_t gif_colour_table_bytes(std::uint8_t flags) {
    return (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0;
}

// Whether compressed data of `bytes` can fill `dots`. An LZW code stands for
// at most 4096 dots (no string in the 4096-entry table is longer) and takes
// at least code size + 1 bits. The decoder makes the whole image before it
// finds the data short, and under Wine does not give that memory back.
bool lzw_data_can_fill(std::uint64_t bytes, std::uint8_t code_size, std::uint64_t dots) {
    constexpr std::uint64_t most_dots_per_code = 4096;
    const std::uint64_t codes = (dots + most_dots_per_code - 1) / most_dots_per_code;
    return bytes * 8 >= codes * (code_size + 1u);
}

// The decoder shows the first image, so the file must hold it whole; later
// frames of an animation are not looked at.
std::optional<PictureHeader> read_gif_file(const Reader& in) {
    constexpr std::array<std::uint8_t, 6> gif87a{'G', 'I', 'F', '8', '7', 'a'};
    constexpr std::array<std::uint8_t, 6> gif89a{'G', 'I', 'F', '8', '9', 'a'};
    if (!(in.starts_with(0, gif87a) || in.starts_with(0, gif89a)) || !in.has(0, 13)) {
        return std::nullopt;
    }
    const std::uint16_t screen_width = in.u16(6);
    const std::uint16_t screen_height = in.u16(8);
    if ((screen_width != 0 || screen_height != 0) &&
        !within_picture_budget(screen_width, screen_height)) {
        return std::nullopt;
    }
    std::uint64_t at = 13 + gif_colour_table_bytes(in.u8(10));
    for (;;) {
        if (!in.has(at, 1)) {
            return std::nullopt;
        }
        const std::uint8_t block = in.u8(at);
        if (block == 0x21) { // extension: label, then sub-blocks
            if (!in.has(at, 2)) {
                return std::nullopt;
            }
            const std::optional<std::uint64_t> next = skip_sub_blocks(in, at + 2);
            if (!next) {
                return std::nullopt;
            }
            at = *next;
        } else if (block == 0x2C) { // image descriptor
            if (!in.has(at, 10)) {
                return std::nullopt;
            }
            const std::uint16_t width = in.u16(at + 5);
            const std::uint16_t height = in.u16(at + 7);
            const std::uint64_t data = at + 10 + gif_colour_table_bytes(in.u8(at + 9));
            // The LZW code size, then the compressed pixels in sub-blocks.
            if (!in.has(data, 1) || in.u8(data) < 1 || in.u8(data) > 11) {
                return std::nullopt;
            }
            const std::optional<std::uint64_t> end = skip_sub_blocks(in, data + 1);
            const std::optional<PictureHeader> image = raster(PictureFormat::gif, width, height);
            if (!end || !image ||
                !lzw_data_can_fill(*end - (data + 1), in.u8(data), std::uint64_t{width} * height)) {
                return std::nullopt;
            }
            return image;
        } else {
            return std::nullopt; // the trailer before any image, or no GIF block at all
        }
    }
}

// --- JPEG ---

bool is_frame_marker(std::uint8_t marker) {
    // SOF0 to SOF15, except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool is_standalone_marker(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Huffman coding, as opposed to arithmetic coding (SOF9 and above).
bool is_huffman_frame(std::uint8_t marker) {
    return marker < 0xC8;
}

// Where the end-of-image marker after `from` starts. Compressed data never
// holds FF D9 (an FF there is followed by 00 or a restart marker), so a file
// cut anywhere in its scans has none; the search runs from the end, where
// the marker normally is.
std::optional<std::uint64_t> end_of_image_after(const Reader& in, std::uint64_t from) {
    const std::span<const std::uint8_t> bytes = in.bytes();
    for (std::uint64_t i = bytes.size(); i >= from + 2; --i) {
        if (bytes[i - 2] == 0xFF && bytes[i - 1] == 0xD9) {
            return i - 2;
        }
    }
    return std::nullopt;
}

// How many minimum coded units make up a frame: areas of 8 x 8 dots times the
// highest sampling factors across and down. No block of any component covers
// more than one unit, so a scan codes at least one block a unit, and a
// Huffman-coded block takes at least one bit (the code of its DC difference):
// data shorter than a bit a unit cannot fill the frame. The decoder would take
// the claimed size anyway, make the whole picture in memory and pad it with
// gray: a file of a few hundred bytes would cost hundreds of megabytes and
// come out as a blank picture.
std::optional<std::uint64_t> minimum_coded_units(const Reader& in, std::uint64_t frame,
                                                 std::uint16_t length, std::uint32_t width,
                                                 std::uint32_t height) {
    const std::uint8_t components = in.u8(frame + 7);
    if (components == 0 || length < 8u + 3u * components) {
        return std::nullopt;
    }
    std::uint64_t most_across = 1;
    std::uint64_t most_down = 1;
    for (std::uint8_t i = 0; i < components; ++i) {
        const std::uint8_t sampling = in.u8(frame + 8 + 3 * std::uint64_t{i} + 1);
        most_across = std::max<std::uint64_t>(most_across, sampling >> 4);
        most_down = std::max<std::uint64_t>(most_down, sampling & 0x0F);
    }
    const auto units = [](std::uint64_t dots, std::uint64_t unit) {
        return (dots + unit - 1) / unit;
    };
    return units(width, 8 * most_across) * units(height, 8 * most_down);
}

std::optional<PictureHeader> read_jpeg_file(const Reader& in) {
    std::uint64_t at = 2;
    std::optional<PictureHeader> frame;
    std::uint64_t least_coded_bits = 0;
    for (;;) {
        if (!in.has(at, 2) || in.u8(at) != 0xFF) {
            return std::nullopt;
        }
        while (in.has(at, 2) && in.u8(at + 1) == 0xFF) {
            ++at; // fill bytes before a marker
        }
        if (!in.has(at, 2)) {
            return std::nullopt;
        }
        const std::uint8_t marker = in.u8(at + 1);
        at += 2;
        if (is_standalone_marker(marker)) {
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9 || !in.has(at, 2)) {
            return std::nullopt; // a second start, or the end before any scan
        }
        const std::uint16_t length = in.u16_big(at);
        if (length < 2 || !in.has(at, length)) {
            return std::nullopt;
        }
        if (is_frame_marker(marker)) {
            // Length, precision, height, width, components.
            if (length < 8) {
                return std::nullopt;
            }
            // A height of 0 is given later by a DNL marker: not for us.
            frame = raster(PictureFormat::jpeg, in.u16_big(at + 5), in.u16_big(at + 3));
            if (!frame) {
                return std::nullopt;
            }
            const std::optional<std::uint64_t> units =
                minimum_coded_units(in, at, length, frame->width, frame->height);
            if (!units) {
                return std::nullopt;
            }
            least_coded_bits = is_huffman_frame(marker) ? *units : 0;
        }
        if (marker == 0xDA) { // start of scan: the compressed data follows
            const std::uint64_t data = at + length;
            const std::optional<std::uint64_t> end = end_of_image_after(in, data);
            if (!frame || !end || (*end - data) * 8 < least_coded_bits) {
                return std::nullopt;
            }
            return frame;
        }
        at += length;
    }
}

// --- Icons ---

std::optional<PictureHeader> read_icon_file(const Reader& in) {
    if (!in.has(0, 6)) {
        return std::nullopt;
    }
    const std::uint16_t count = in.u16(4);
    const std::uint64_t directory_end = 6 + 16 * std::uint64_t{count};
    if (count == 0 || !in.has(0, directory_end)) {
        return std::nullopt;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint64_t entry = 6 + 16 * std::uint64_t{i};
        const std::uint32_t bytes = in.u32(entry + 8);
        const std::uint32_t offset = in.u32(entry + 12);
        if (offset < directory_end || !in.has(offset, bytes)) {
            return std::nullopt;
        }
        // 0 in the directory means 256.
        const std::uint32_t entry_width = in.u8(entry) == 0 ? 256 : in.u8(entry);
        const std::uint32_t entry_height = in.u8(entry + 1) == 0 ? 256 : in.u8(entry + 1);
        const Reader image(in.bytes().subspan(offset, bytes));
        if (!image.starts_with(0, png_magic)) {
            // A device-independent bitmap of twice the height: the colour
            // picture, then the 1-bit transparency mask.
            const std::optional<DibHeader> h = read_dib_header(image, 0);
            if (!h || h->size != 40 || h->planes != 1 || !valid_depth(h->bits_per_pixel) ||
                h->compression != bi_rgb || h->width < 1 || h->width > 256 || h->height < 2 ||
                h->height > 512 || h->height % 2 != 0) {
                return std::nullopt;
            }
            const std::optional<std::uint64_t> entries = colour_table_entries(*h);
            const auto w = static_cast<std::uint32_t>(h->width);
            const auto rows = static_cast<std::uint32_t>(h->height / 2);
            if (!entries ||
                !image.has(0, h->size + *entries * 4 + dib_image_size(w, rows, h->bits_per_pixel) +
                                  dib_image_size(w, rows, 1))) {
                return std::nullopt;
            }
        } else if (bytes < png_magic.size() + 8 + 13) { // signature, IHDR length and type, IHDR
            return std::nullopt;
        }
        width = std::max(width, entry_width);
        height = std::max(height, entry_height);
    }
    return raster(PictureFormat::icon, width, height);
}

// --- Metafiles ---

std::optional<PictureHeader> read_enhanced_metafile(const Reader& in) {
    constexpr std::uint32_t emr_header = 1;
    constexpr std::uint32_t emr_eof = 14;
    constexpr std::uint32_t min_header = 88;
    if (!in.has(0, min_header) || in.u32(0) != emr_header || in.u32(40) != emf_signature) {
        return std::nullopt;
    }
    const std::uint32_t header_size = in.u32(4);
    const std::uint32_t total = in.u32(48);
    if (header_size < min_header || header_size > total || !in.has(0, total)) {
        return std::nullopt;
    }
    // The frame, in 0.01 mm: the picture's size as its maker meant it.
    const std::int64_t left = in.i32(24);
    const std::int64_t top = in.i32(28);
    const std::int64_t right = in.i32(32);
    const std::int64_t bottom = in.i32(36);
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    // Every record within the file, the last one the end record.
    std::uint64_t at = 0;
    std::uint32_t type = 0;
    while (at < total) {
        if (!in.has(at, 8) || at + 8 > total) {
            return std::nullopt;
        }
        type = in.u32(at);
        const std::uint32_t size = in.u32(at + 4);
        if (size < 8 || size % 4 != 0 || size > total - at) {
            return std::nullopt;
        }
        at += size;
    }
    if (type != emr_eof) {
        return std::nullopt;
    }
    return PictureHeader{PictureFormat::enhanced_metafile, static_cast<std::uint32_t>(right - left),
                         static_cast<std::uint32_t>(bottom - top)};
}

std::optional<PictureHeader> read_placeable_metafile(const Reader& in) {
    constexpr std::uint64_t placeable_header = 22;
    constexpr std::uint64_t metafile_header = 18;
    if (!in.has(0, placeable_header + metafile_header)) {
        return std::nullopt;
    }
    // The bounding box in metafile units, and how many of them make an inch.
    const std::int64_t left = in.i16(6);
    const std::int64_t top = in.i16(8);
    const std::int64_t right = in.i16(10);
    const std::int64_t bottom = in.i16(12);
    const std::uint16_t units_per_inch = in.u16(14);
    if (right <= left || bottom <= top || units_per_inch == 0) {
        return std::nullopt;
    }
    const std::uint64_t at = placeable_header;
    const std::uint16_t type = in.u16(at);
    const std::uint16_t header_words = in.u16(at + 2);
    const std::uint64_t total = 2 * std::uint64_t{in.u32(at + 6)}; // in 16-bit words
    if ((type != 1 && type != 2) || header_words != 9 || total < metafile_header ||
        !in.has(at, total)) {
        return std::nullopt;
    }
    // Every record within the metafile, the last one the end record (function 0).
    std::uint64_t record = at + metafile_header;
    const std::uint64_t end = at + total;
    for (;;) {
        if (record + 6 > end) {
            return std::nullopt;
        }
        const std::uint64_t size = 2 * std::uint64_t{in.u32(record)};
        if (size < 6 || size > end - record) {
            return std::nullopt;
        }
        if (in.u16(record + 4) == 0) {
            break;
        }
        record += size;
    }
    // 2540 HIMETRIC units to the inch, rounded as MulDiv rounds.
    const auto himetric = [units_per_inch](std::int64_t units) {
        return static_cast<std::uint32_t>((units * 2540 + units_per_inch / 2) / units_per_inch);
    };
    const std::uint32_t width = himetric(right - left);
    const std::uint32_t height = himetric(bottom - top);
    // At thousands of units to the inch a box of a few units is under 0.01 mm: as empty as
    // a box of none.
    if (width == 0 || height == 0) {
        return std::nullopt;
    }
    return PictureHeader{PictureFormat::windows_metafile, width, height};
}

} // namespace

bool within_picture_budget(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= static_cast<std::int64_t>(max_picture_pixels) &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
               max_picture_pixels;
}

std::optional<PictureHeader> read_picture_header(std::span<const std::uint8_t> file) {
    const Reader in(file);
    if (in.size() > max_picture_file_bytes) {
        return std::nullopt;
    }
    if (in.starts_with(0, bitmap_magic)) {
        return read_bitmap_file(in);
    }
    if (in.starts_with(0, gif_magic)) {
        return read_gif_file(in);
    }
    if (in.starts_with(0, jpeg_magic)) {
        return read_jpeg_file(in);
    }
    if (in.starts_with(0, icon_magic)) {
        return read_icon_file(in);
    }
    if (in.starts_with(0, placeable_magic)) {
        return read_placeable_metafile(in);
    }
    if (in.has(0, 44) && in.u32(0) == 1 && in.u32(40) == emf_signature) {
        return read_enhanced_metafile(in);
    }
    return std::nullopt;
}

std::optional<BitmapFileLayout> bitmap_file_layout(std::span<const std::uint8_t> file) {
    const Reader in(file);
    if (in.size() > max_picture_file_bytes || !in.starts_with(0, bitmap_magic)) {
        return std::nullopt;
    }
    const std::optional<BitmapFile> bitmap = read_bitmap_layout(in);
    if (!bitmap || !bitmap->uncompressed) {
        return std::nullopt;
    }
    return bitmap->layout;
}

std::int64_t himetric_to_pixels(std::int64_t himetric, int dpi) {
    const std::int64_t product = himetric * dpi;
    const std::int64_t half = 2540 / 2;
    return product >= 0 ? (product + half) / 2540 : -((-product + half) / 2540);
}

} // namespace tq350::logo
