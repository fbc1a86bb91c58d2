// The pictures the logo subsystem works on, held the way a device-independent
// bitmap holds them: rows stored bottom row first, each row padded to a whole
// number of 32-bit words. Keeping the DIB layout lets the Win32 layer move
// pixels between these models and its DIB sections with one copy, and the
// storage order matters: the diffusion visits rows in it, bottom row first.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tq350::logo {

// The printer's logo area in dots: 247 high, not 248 or 256.
inline constexpr std::uint32_t logo_area_width = 384;
inline constexpr std::uint32_t logo_area_height = 247;

struct Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Bytes per stored row: bits per pixel x width, rounded up to whole 32-bit words.
constexpr std::uint64_t dib_row_stride(std::uint32_t width, std::uint32_t bits_per_pixel) {
    return (std::uint64_t{bits_per_pixel} * width + 31) / 32 * 4;
}

// Stride x height. Saturates instead of wrapping, so that a check of a buffer
// against an absurd size fails rather than passes.
constexpr std::uint64_t dib_image_size(std::uint32_t width, std::uint32_t height,
                                       std::uint32_t bits_per_pixel) {
    const std::uint64_t stride = dib_row_stride(width, bits_per_pixel);
    if (height != 0 && stride > UINT64_MAX / height) {
        return UINT64_MAX;
    }
    return stride * height;
}

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};

// 24 bits per pixel, each pixel blue, green, red as a DIB stores it.
struct ColourSurface {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;

    // All bytes zero (black), as a freshly created DIB section.
    static ColourSurface blank(std::uint32_t width, std::uint32_t height);
    std::uint64_t stride() const { return dib_row_stride(width, 24); }
    // The byte buffer holds every row the size promises.
    bool is_complete() const { return bytes.size() >= dib_image_size(width, height, 24); }
};

// 8 bits per pixel, 0 = black to 255 = white.
struct GraySurface {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;

    static GraySurface blank(std::uint32_t width, std::uint32_t height);
    std::uint64_t stride() const { return dib_row_stride(width, 8); }
    bool is_complete() const { return bytes.size() >= dib_image_size(width, height, 8); }
};

// A 1-bit picture as it lies in a DIB: the leftmost pixel of each byte in its
// most significant bit, and a two-entry colour table saying what a clear bit
// (entry 0) and a set bit (entry 1) look like. Pictures loaded from 1-bit
// files keep whatever table the file had; the Win32 layer fills this from the
// bitmap's bits and colour table without copying.
struct MonoBitmapView {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::span<const std::uint8_t> bytes;
    std::array<Rgb, 2> colours{black, white};

    std::uint64_t stride() const { return dib_row_stride(width, 1); }
    bool is_complete() const { return bytes.size() >= dib_image_size(width, height, 1); }
};

// A converted logo: 1 bit per pixel with entry 0 black and entry 1 white, so a
// set bit is white and a clear bit is black. Fill bits and fill bytes are zero.
struct LogoRaster {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;

    // All bits clear: an all-black logo.
    static LogoRaster blank(std::uint32_t width, std::uint32_t height);
    std::uint64_t stride() const { return dib_row_stride(width, 1); }
    // Valid while the raster lives and its bytes are not resized.
    MonoBitmapView view() const { return {width, height, bytes, {black, white}}; }
};

} // namespace tq350::logo
