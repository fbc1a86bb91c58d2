// Gray pictures as PNG files, marked with the printer's 203 dpi.
#pragma once

#include "dot_image.h"

#include <string>

namespace tq350::sim {

// 203 dots per inch in the unit PNG files use.
inline constexpr unsigned png_dots_per_metre = 7992;

// Writes `image` as an 8-bit gray PNG with its resolution. The file appears whole: it is written
// beside `path` and renamed into place, so a reader watching the folder never sees half of it.
bool write_png(const std::string& path, const GrayImage& image, std::string& error);

} // namespace tq350::sim
