// Picture files built byte by byte, so that each says exactly what is in
// it: the header checks' cases, the fuzz target's seeds and the Wine suites'
// bitmap files are made from the same builders.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tq350::logo::test {

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

inline Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// The file with a little-endian value of `size` bytes written over it at `at`.
inline Bytes with(Bytes bytes, std::size_t at, std::uint32_t v, int size = 4) {
    for (int i = 0; i < size; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return bytes;
}

// A bitmap file with a 40-byte header (or the old 12-byte one or a longer
// one), stored bottom row first unless the height is negative. Without
// `colours` (0xRRGGBB) the table is full for up to 8 bits and filled with
// 0x80; without rows the pixels are zero. Rows are given top row first,
// unpadded.
inline Bytes bitmap_file(std::int32_t width, std::int32_t height, unsigned bits,
                         unsigned header = 40, const std::vector<std::uint32_t>& colours = {},
                         const std::vector<Bytes>& rows_top_first = {}) {
    const std::uint32_t entries =
        colours.empty() ? (bits <= 8 ? 1u << bits : 0) : static_cast<std::uint32_t>(colours.size());
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
        w.u32(2835).u32(2835).u32(static_cast<std::uint32_t>(colours.size())).u32(0);
        w.fill(header - 40);
    }
    if (colours.empty())
        w.fill(entries * entry_size, 0x80);
    for (std::uint32_t c : colours)
        w.le(c, 3).fill(entry_size - 3);
    if (rows_top_first.empty())
        return w.fill(std::size_t{stride} * rows).bytes;
    for (std::uint32_t i = 0; i < rows; ++i) {
        Bytes row = rows_top_first.at(height < 0 ? i : rows - 1 - i);
        row.resize(stride);
        w.append(row);
    }
    return w.bytes;
}

// One image with a two-colour table, a graphic control extension and five
// bytes of sub-blocks standing for the compressed pixels.
inline Bytes gif_file(unsigned screen_width, unsigned screen_height, unsigned width,
                      unsigned height) {
    Writer w;
    w.raw({'G', 'I', 'F', '8', '9', 'a'}).u16(screen_width).u16(screen_height).raw({0x80, 0, 0});
    w.raw({0, 0, 0, 255, 255, 255}).raw({0x21, 0xF9, 4, 0x01, 0, 0, 0, 0});
    w.u8(0x2C).u16(0).u16(0).u16(width).u16(height).u8(0);
    return w.u8(2).raw({3, 0x84, 0x8F, 0x59}).u8(0).u8(0x3B).bytes;
}

inline constexpr std::size_t gif_descriptor = 13 + 6 + 8;

// A baseline JPEG's markers with dummy tables and one component, and a scan
// of `scan` bytes: by default just enough for one bit per minimum coded unit
// (8 x 8 dots times the sampling factors, 0x22 for 2 across and 2 down).
inline Bytes jpeg_file(unsigned width, unsigned height, unsigned frame_marker = 0xC0,
                       std::size_t scan = 0, unsigned sampling = 0x11) {
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

inline constexpr std::size_t jpeg_frame = 2 + 18 + 69;
inline constexpr std::size_t jpeg_scan = jpeg_frame + 13 + 22;

// An icon file with one 16 x 16 entry of `bits` per pixel.
inline Bytes icon_file(unsigned bits = 32) {
    const std::uint32_t table = bits <= 8 ? 4u << bits : 0;
    const std::uint32_t colour = (bits * 16 + 31) / 32 * 4 * 16, mask = 4 * 16;
    Writer w;
    w.u16(0).u16(1).u16(1).raw({16, 16, 0, 0}).u16(1).u16(bits).u32(40 + table + colour + mask);
    w.u32(22).u32(40).u32(16).u32(32).u16(1).u16(bits).u32(0).u32(colour + mask).fill(16);
    return w.fill(table + colour + mask).bytes;
}

// An icon file whose one entry is a PNG image of 256 x 256: the signature,
// the IHDR chunk's length and type, and the chunk.
inline Bytes png_icon_file() {
    Writer w;
    w.u16(0).u16(1).u16(1).raw({0, 0, 0, 0}).u16(1).u16(32).u32(33).u32(22);
    return w.raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}).u32(0x0D000000).fill(21).bytes;
}

// An enhanced metafile: header with the frame (0.01 mm), one rectangle, end.
inline Bytes emf_file(std::int32_t right, std::int32_t bottom) {
    Writer w;
    w.u32(1).u32(88).u32(0).u32(0).u32(96).u32(48).u32(0).u32(0);
    w.u32(static_cast<std::uint32_t>(right)).u32(static_cast<std::uint32_t>(bottom));
    w.u32(0x464D4520).u32(0x10000).u32(88 + 24 + 20).u32(3).u32(0).u32(0).u32(0).u32(0);
    w.u32(1024).u32(768).u32(320).u32(240);
    w.u32(43).u32(24).u32(10).u32(10).u32(50).u32(30);     // EMR_RECTANGLE
    return w.u32(14).u32(20).u32(0).u32(16).u32(20).bytes; // EMR_EOF
}

// The 18-byte metafile header, one Rectangle record and the end record.
inline Bytes plain_metafile() {
    Writer w;
    w.u16(1).u16(9).u16(0x300).u32(9 + 7 + 3).u16(0).u32(7).u16(0);
    w.u32(7).u16(0x041B).u16(75).u16(150).u16(25).u16(50); // META_RECTANGLE
    return w.u32(3).u16(0).bytes;
}

inline Bytes placeable_metafile(unsigned right, unsigned bottom, unsigned units_per_inch) {
    Writer w;
    w.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(right).u16(bottom).u16(units_per_inch).u32(0);
    return w.u16(0).append(plain_metafile()).bytes;
}

} // namespace tq350::logo::test
