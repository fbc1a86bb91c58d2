#include "dot_image.h"

namespace tq350::sim {

DotImage::DotImage(int width, int height)
    : width_(width), height_(height), dots_(static_cast<std::size_t>(width) * height) {}

bool DotImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return dots_[static_cast<std::size_t>(y) * width_ + x] != 0;
}

void DotImage::set(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    dots_[static_cast<std::size_t>(y) * width_ + x] = 1;
}

void DotImage::draw(const DotImage& other, int x, int y) {
    for (int oy = 0; oy < other.height_; ++oy)
        for (int ox = 0; ox < other.width_; ++ox)
            if (other.at(ox, oy))
                set(x + ox, y + oy);
}

DotImage from_glyph_rows(std::span<const std::uint8_t> rows, int width, int height) {
    DotImage image(width, height);
    const int row_bytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * row_bytes + x / 8);
            if (at < rows.size() && rows[at] & (0x80 >> (x % 8)))
                image.set(x, y);
        }
    return image;
}

DotImage from_logo_rows(std::span<const std::uint8_t> raster, int row_bytes, int rows) {
    DotImage image(row_bytes * 8, rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < row_bytes * 8; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * row_bytes + x / 8);
            if (at < raster.size() && raster[at] & (1 << (x % 8)))
                image.set(x, y);
        }
    return image;
}

DotImage enlarged(const DotImage& image, int across, int down) {
    DotImage out(image.width() * across, image.height() * down);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (image.at(x / across, y / down))
                out.set(x, y);
    return out;
}

DotImage turned_clockwise(const DotImage& image) {
    DotImage out(image.height(), image.width());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y))
                out.set(image.height() - 1 - y, x);
    return out;
}

DotImage turned_over(const DotImage& image) {
    DotImage out(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y))
                out.set(image.width() - 1 - x, image.height() - 1 - y);
    return out;
}

} // namespace tq350::sim
