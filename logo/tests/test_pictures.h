// Picture files for the Wine suites: bitmap files written byte by byte, the
// files ImageMagick made at build time with the two committed metafiles, and
// ways to look at the bitmaps the loader returns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "logo/tests/picture_bytes.h"

namespace tq350::logo::test {

// A file in this process's scratch folder, removed when the suite ends.
std::string scratch_path(const std::string& name);
std::string write_scratch_file(const std::string& name, const Bytes& bytes);
Bytes read_file(const std::string& path);

// A file made at build time, or one of tests/pictures: frame.emf is 1 x 0.5
// inch with a red rectangle in its middle third, frame.wmf 150 x 75 units at
// 75 to the inch (placeable) with a green one; both leave the rest undrawn.
std::string built_picture(const std::string& name);

// All white but a black rectangle, at 1 bit (black first in the table) or 24.
Bytes box_bitmap_file(int width, int height, int bits, RECT black);

struct LoadedBitmap {
    int width = 0;
    int height = 0;
    int bits_per_pixel = 0;
    bool dib_section = false; // directly addressable pixels
};
LoadedBitmap describe(HBITMAP bitmap);
// The colour of a pixel, (0, 0) the top-left corner, as 0xRRGGBB.
std::uint32_t pixel(HBITMAP bitmap, int x, int y);

} // namespace tq350::logo::test
