#include "font/glyph_core.h"

#include <algorithm>

namespace tq350::font {

Glyph::Glyph(int width, int height) {
    if (width <= 0 || height <= 0 || width > max_glyph_dots / height) {
        return;
    }
    width_ = width;
    height_ = height;
    dots_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

bool Glyph::dot(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return false;
    }
    return dots_[static_cast<std::size_t>(y * width_ + x)] != 0;
}

void Glyph::toggle(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    at(x, y) ^= 1;
}

void Glyph::clear() {
    std::fill(dots_.begin(), dots_.end(), std::uint8_t{0});
}

void Glyph::fill() {
    std::fill(dots_.begin(), dots_.end(), std::uint8_t{1});
}

void Glyph::invert() {
    for (std::uint8_t& d : dots_) {
        d ^= 1;
    }
}

void Glyph::toggle_border() {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (y == 0 || y == height_ - 1 || x == 0 || x == width_ - 1) {
                at(x, y) ^= 1;
            }
        }
    }
}

bool Glyph::holds_rows(std::size_t buffer_size, std::size_t bytes_per_row) const {
    if (!has_storage()) {
        return true;
    }
    const std::size_t row_bytes = packed_row_bytes(width_);
    return bytes_per_row >= row_bytes &&
           buffer_size / bytes_per_row >= static_cast<std::size_t>(height_);
}

bool Glyph::pack(std::span<std::uint8_t> rows, std::size_t bytes_per_row, Polarity polarity) const {
    if (!holds_rows(rows.size(), bytes_per_row)) {
        return false;
    }
    const std::uint8_t blank = polarity == Polarity::ink_is_one ? 0 : 1;
    const std::size_t row_bytes = packed_row_bytes(width_);
    for (int y = 0; y < height_; ++y) {
        const std::span<std::uint8_t> row =
            rows.subspan(static_cast<std::size_t>(y) * bytes_per_row, row_bytes);
        std::fill(row.begin(), row.end(), std::uint8_t{0});
        for (int x = 0; x < width_; ++x) {
            if (dots_[static_cast<std::size_t>(y * width_ + x)] != blank) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return true;
}

bool Glyph::unpack(std::span<const std::uint8_t> rows, std::size_t bytes_per_row,
                   Polarity polarity) {
    if (!holds_rows(rows.size(), bytes_per_row)) {
        return false;
    }
    const std::uint8_t blank = polarity == Polarity::ink_is_one ? 0 : 1;
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * bytes_per_row;
        for (int x = 0; x < width_; ++x) {
            const bool bit = (row[x / 8] & (0x80 >> (x % 8))) != 0;
            at(x, y) = static_cast<std::uint8_t>(bit ? 1 - blank : blank);
        }
    }
    return true;
}

void GlyphEditor::attach_window(int client_width, int client_height) {
    client_width_ = client_width;
    client_height_ = client_height;
    cell_size_ = 0;
}

bool GlyphEditor::set_size(int width, int height) {
    const bool size_changed = width != working_.width() || height != working_.height();
    working_ = Glyph(width, height);
    reference_ = working_;
    cell_size_ = cell_size_for(client_width_, client_height_, working_.width(), working_.height());
    return size_changed;
}

bool GlyphEditor::get_bits(std::span<std::uint8_t> rows, std::size_t bytes_per_row,
                           Polarity polarity) const {
    return working_.pack(rows, bytes_per_row, polarity);
}

bool GlyphEditor::set_bits(std::span<const std::uint8_t> rows, std::size_t bytes_per_row,
                           Polarity polarity) {
    return working_.unpack(rows, bytes_per_row, polarity);
}

bool GlyphEditor::has_grid() const {
    return cell_size_ >= 1 && working_.width() >= 1 && working_.height() >= 1;
}

bool GlyphEditor::clear() {
    if (!has_grid()) {
        return false;
    }
    working_.clear();
    return true;
}

bool GlyphEditor::fill() {
    if (!has_grid()) {
        return false;
    }
    working_.fill();
    return true;
}

bool GlyphEditor::invert() {
    if (!has_grid()) {
        return false;
    }
    working_.invert();
    return true;
}

bool GlyphEditor::box() {
    if (!has_grid()) {
        return false;
    }
    working_.toggle_border();
    return true;
}

bool GlyphEditor::revert() {
    if (!has_grid()) {
        return false;
    }
    working_ = reference_;
    return true;
}

bool GlyphEditor::commit() {
    if (!has_grid()) {
        return false;
    }
    reference_ = working_;
    return true;
}

bool GlyphEditor::is_modified() const {
    return has_grid() && working_ != reference_;
}

std::optional<PixelRect> GlyphEditor::press(int x, int y) {
    if (!has_grid() || x < 0 || y < 0 || x >= client_width_ || y >= client_height_ ||
        x >= cell_size_ * working_.width() || y >= cell_size_ * working_.height()) {
        return std::nullopt;
    }
    const int column = x / cell_size_;
    const int row = y / cell_size_;
    working_.toggle(column, row);
    return cell_rect(column, row);
}

PixelRect GlyphEditor::cell_rect(int column, int row) const {
    return {column * cell_size_, row * cell_size_, (column + 1) * cell_size_,
            (row + 1) * cell_size_};
}

} // namespace tq350::font
