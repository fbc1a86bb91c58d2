// The glyph editor's model: the dots of one character, the whole-glyph edits,
// the packed 1-bit rows the font table and the printer use, and the grid
// arithmetic of the control that shows it. The SYMBOLDRAW window procedure
// turns each SDM_* message and mouse press into one call here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tq350::font {

// Which bit value marks an inked dot in packed rows. Font tables and the printer
// use ink_is_one; the preview bitmap, whose colour 0 is black, needs blank_is_one.
enum class Polarity : std::uint8_t { ink_is_one, blank_is_one };

// SDM_SETSIZE carries width and height in 16-bit words, so a stray message could
// ask for 65535 x 65535 dots, 4 GiB to zero-fill. Sizes above this many dots are
// refused and leave the glyph without storage; the program uses 12 x 24 at most.
inline constexpr int max_glyph_dots = 256 * 256;

// Bytes one packed row of `width` dots fills: ceil(width / 8).
constexpr std::size_t packed_row_bytes(int width) {
    return width > 0 ? (static_cast<std::size_t>(width) + 7) / 8 : 0;
}

// One character's dots, row-major, each 0 (blank) or 1 (inked). A glyph with
// width or height 0 holds no storage.
class Glyph {
  public:
    Glyph() = default;
    // A blank glyph of width x height dots, or one without storage when the size
    // is negative, empty or above max_glyph_dots.
    Glyph(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool has_storage() const { return !dots_.empty(); }

    // Dots outside the glyph read as blank and ignore toggles.
    bool dot(int x, int y) const;
    void toggle(int x, int y);

    void clear();
    void fill();
    void invert();
    // Toggles every dot of the outer rows and columns once, corners included.
    // Two boxes in a row restore the glyph.
    void toggle_border();

    // Row y goes to the bytes from y * bytes_per_row on, dot x at bit 7 - x % 8 of
    // byte x / 8. Each row's packed_row_bytes(width) bytes are written in full (the
    // unused low bits of a last byte 0); bytes beyond them up to the pitch are left
    // alone. False, and nothing written, when the pitch is narrower than a row or
    // the buffer holds fewer than height rows of that pitch.
    bool pack(std::span<std::uint8_t> rows, std::size_t bytes_per_row, Polarity polarity) const;
    // The reverse of pack: afterwards every dot is 0 or 1. False, and the glyph
    // unchanged, for a buffer pack would refuse.
    bool unpack(std::span<const std::uint8_t> rows, std::size_t bytes_per_row, Polarity polarity);

    friend bool operator==(const Glyph&, const Glyph&) = default;

  private:
    bool holds_rows(std::size_t buffer_size, std::size_t bytes_per_row) const;
    std::uint8_t& at(int x, int y) { return dots_[static_cast<std::size_t>(y * width_ + x)]; }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> dots_;
};

// A rectangle in client pixels, right and bottom exclusive, as Win32's RECT.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Side of the square cell that shows one dot: the smaller of the horizontal and
// vertical fit, so the grid stays square; 0 when a count is 0 or the glyph does
// not fit at one pixel per dot.
constexpr int cell_size_for(int client_width, int client_height, int glyph_width,
                            int glyph_height) {
    const int across = glyph_width > 0 && client_width > 0 ? client_width / glyph_width : 0;
    const int down = glyph_height > 0 && client_height > 0 ? client_height / glyph_height : 0;
    return across < down ? across : down;
}

// Row pitch of the 1-bit DIB the preview shows: rows padded to 32 bits.
constexpr std::size_t dib_row_pitch(int width) {
    return width > 0 ? (static_cast<std::size_t>(width) + 31) / 32 * 4 : 0;
}

// The state behind the glyph editor control: the working glyph that is shown and
// edited, the reference glyph that Revert returns to and that tells whether the
// working glyph was changed, and the grid of the window showing them. The glyphs
// belong to the class and outlive a window; the grid belongs to one window.
class GlyphEditor {
  public:
    // WM_CREATE: the client size is taken once; there is no grid until set_size.
    void attach_window(int client_width, int client_height);

    // SDM_SETSIZE: both glyphs blank at the new size and the cell size refitted.
    // Returns whether the size differs from the previous one, which is when the
    // background needs erasing.
    bool set_size(int width, int height);

    // SDM_GETBITS and SDM_SETBITS, allowed with or without a grid. See Glyph::pack.
    bool get_bits(std::span<std::uint8_t> rows, std::size_t bytes_per_row, Polarity polarity) const;
    bool set_bits(std::span<const std::uint8_t> rows, std::size_t bytes_per_row, Polarity polarity);

    // The edits and queries below act only while a grid exists; without one they
    // change nothing and return false, and the control sends no notification.
    bool clear();
    bool fill();
    bool invert();
    bool box();
    bool revert();
    bool commit();
    // SDM_ISMODIFIED: the working glyph differs from the reference in size or dots.
    bool is_modified() const;

    // WM_LBUTTONDOWN at a client point: toggles the dot under it and returns the
    // cell to repaint, or nothing when the point is off the grid.
    std::optional<PixelRect> press(int x, int y);

    bool has_grid() const;
    int cell_size() const { return cell_size_; }
    PixelRect cell_rect(int column, int row) const;

    const Glyph& working() const { return working_; }
    const Glyph& reference() const { return reference_; }

  private:
    Glyph working_;
    Glyph reference_;
    int client_width_ = 0;
    int client_height_ = 0;
    int cell_size_ = 0;
};

} // namespace tq350::font
