// Pictures of dots as the print head burns them, and the gray pictures that paper and image
// files hold.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tq350::sim {

// The head's 384 dots at 203 dpi: 48 mm of a 58 mm roll.
inline constexpr int paper_width_dots = 384;
inline constexpr std::uint8_t white = 255;

// A 1-bit picture: each dot burnt or left blank.
class DotImage {
  public:
    DotImage() = default;
    DotImage(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    // Outside the picture every dot is blank, and setting one there does nothing.
    bool at(int x, int y) const;
    void set(int x, int y);
    // Burns the dots of `other` with its top-left corner at (x, y); what falls outside is lost.
    void draw(const DotImage& other, int x, int y);

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> dots_;
};

// Glyph rows as fonts keep them: (width + 7) / 8 bytes a row, the leftmost dot in bit 7.
DotImage from_glyph_rows(std::span<const std::uint8_t> rows, int width, int height);
// Logo rows as the printer stores them: `row_bytes` a row, the leftmost dot in bit 0.
DotImage from_logo_rows(std::span<const std::uint8_t> raster, int row_bytes, int rows);

// Each dot becomes a block of `across` x `down` dots.
DotImage enlarged(const DotImage& image, int across, int down);
// A quarter turn clockwise: the top row becomes the right-hand column.
DotImage turned_clockwise(const DotImage& image);
// Half a turn: the picture upside down and mirrored.
DotImage turned_over(const DotImage& image);

// 8-bit gray, 0 black to 255 white, row by row.
struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> gray;
};

} // namespace tq350::sim
