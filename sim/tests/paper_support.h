// Reading back what the printer drew: PNG files through libpng, and windows of dots as text.
#pragma once

#include "dot_image.h"

#include <png.h>
#include <string>
#include <vector>

namespace tq350::sim::test {

using Rows = std::vector<std::string>;

// Reads a PNG file as 8-bit gray; false when libpng cannot.
inline bool read_png(const std::string& path, GrayImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_GRAY;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.gray.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.gray.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

inline std::uint8_t gray_at(const GrayImage& image, int x, int y) {
    return image.gray.at(static_cast<std::size_t>(y) * image.width + x);
}

// The dots of a window of the picture, '#' for any dot that is not white, '.' for white; rows
// past the bottom of the picture read as white.
inline Rows window(const GrayImage& image, int x, int y, int width, int height) {
    Rows rows;
    for (int r = y; r < y + height; ++r) {
        std::string row;
        for (int c = x; c < x + width; ++c)
            row += r < image.height && c < image.width && gray_at(image, c, r) != white ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

inline Rows window(const DotImage& image, int x, int y, int width, int height) {
    Rows rows;
    for (int r = y; r < y + height; ++r) {
        std::string row;
        for (int c = x; c < x + width; ++c)
            row += image.at(c, r) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

} // namespace tq350::sim::test
