// Picture files for the Wine suites: Windows bitmap files written byte by
// byte, metafiles drawn with GDI, the GIF, JPEG and icon files ImageMagick
// made at build time, and ways to look at the bitmaps the loader returns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "logo/tests/picture_bytes.h"

namespace tq350::logo::test {

// A scratch folder for this process's files (emptied of nothing; names are unique per test).
std::string scratch_path(const std::string& name);
// Writes bytes to a scratch file and returns its path.
std::string write_scratch_file(const std::string& name, const Bytes& bytes);
Bytes read_file(const std::string& path);

// A file ImageMagick made at build time.
std::string built_picture(const std::string& name);

// A Windows bitmap file: 40-byte header, `bits` per pixel, the colour table
// given (up to 2^bits entries), rows as given top row first (each row's
// bytes unpadded; padding is added), stored bottom-up unless top_down.
Bytes bitmap_file(int width, int height, int bits, const std::vector<RGBQUAD>& colours,
                  const std::vector<Bytes>& rows_top_first, bool top_down = false);

// All white except a black rectangle, at 1 bit (black first), 8 bits (a gray
// scale), 24 or 32 bits.
Bytes box_bitmap_file(int width, int height, int bits, RECT black);

// An enhanced metafile with a frame of the given size in 0.01 mm and a red
// rectangle in its middle third, drawn with GDI; the background is undrawn.
Bytes enhanced_metafile(int frame_width, int frame_height);
// A Windows metafile of `units` wide and high with a green rectangle in its
// middle third, with or without the 22-byte placeable header that gives it
// a size (`units_per_inch`).
Bytes windows_metafile(int width_units, int height_units, int units_per_inch, bool placeable);

// What a loaded bitmap is.
struct LoadedBitmap {
    int width = 0;
    int height = 0;
    int bits_per_pixel = 0;
    bool dib_section = false; // directly addressable pixels
};
LoadedBitmap describe(HBITMAP bitmap);

// The colour of a pixel, (0, 0) the top-left corner, as 0xRRGGBB.
std::uint32_t pixel(HBITMAP bitmap, int x, int y);

// The screen's bits per pixel.
int screen_bits_per_pixel();

} // namespace tq350::logo::test
