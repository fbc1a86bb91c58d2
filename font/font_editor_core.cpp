#include "font/font_editor_core.h"

#include <algorithm>
#include <utility>

namespace tq350::font {

FontEditorSession::FontEditorSession() {
    start_from(FontTable(FontKind::a), true);
}

void FontEditorSession::start_from(FontTable table, bool glyph_on_show) {
    table_ = std::move(table);
    const std::span<const std::uint8_t> bytes = table_.bytes();
    baseline_.assign(bytes.begin(), bytes.end());
    current_code_ = first_code;
    const std::span<const std::uint8_t> record = table_.record(current_code_);
    selected_record_.assign(record.begin(), record.end());
    glyph_on_show_ = glyph_on_show;
    symbol_modified_ = false;
}

bool FontEditorSession::font_modified() const {
    const std::span<const std::uint8_t> bytes = table_.bytes();
    return !std::equal(bytes.begin(), bytes.end(), baseline_.begin(), baseline_.end());
}

// A fresh table is blank and undefined, which is what SDM_SETSIZE shows.
void FontEditorSession::reset(FontKind kind) {
    start_from(FontTable(kind), true);
}

void FontEditorSession::load(FontTable table) {
    start_from(std::move(table), false);
}

GlyphToShow FontEditorSession::select_character(int code) {
    if (is_character_code(code)) {
        current_code_ = code;
    }
    const std::span<const std::uint8_t> record = table_.record(current_code_);
    selected_record_.assign(record.begin(), record.end());
    glyph_on_show_ = true;
    symbol_modified_ = false;
    if (table_.is_defined(current_code_)) {
        return {true, table_.rows(current_code_)};
    }
    return {false, {}};
}

// The editor cannot show the bits of a font A row beyond dot 11, so a record
// whose file had them set still shows the same glyph.
bool FontEditorSession::shows_selected_record(std::span<const std::uint8_t> rows) const {
    const bool was_defined = selected_record_[0] == current_code_;
    if (!was_defined) {
        return std::all_of(rows.begin(), rows.end(), [](std::uint8_t b) { return b == 0; });
    }
    const FontGeometry& g = geometry();
    const int spare_bits = static_cast<int>(g.bytes_per_row * 8) - g.width;
    const auto last_byte_mask = static_cast<std::uint8_t>(0xFF << spare_bits);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::uint8_t shown = selected_record_[1 + i];
        if (i % g.bytes_per_row == g.bytes_per_row - 1) {
            shown &= last_byte_mask;
        }
        if (rows[i] != shown) {
            return false;
        }
    }
    return true;
}

void FontEditorSession::glyph_changed(std::span<const std::uint8_t> rows) {
    if (!glyph_on_show_ || rows.size() != geometry().rows_size) {
        return;
    }
    if (shows_selected_record(rows)) {
        table_.set_record(current_code_, selected_record_);
        symbol_modified_ = false;
    } else {
        table_.define(current_code_, rows);
        symbol_modified_ = true;
    }
}

void FontEditorSession::current_character_nulled() {
    std::vector<std::uint8_t> record = selected_record_;
    if (record[0] == current_code_) {
        std::fill(record.begin() + 1, record.end(), std::uint8_t{0});
    }
    record[0] = 0;
    table_.set_record(current_code_, record);
    selected_record_ = std::move(record);
    glyph_on_show_ = true;
    symbol_modified_ = false;
}

void FontEditorSession::font_saved() {
    const std::span<const std::uint8_t> bytes = table_.bytes();
    baseline_.assign(bytes.begin(), bytes.end());
    symbol_modified_ = false;
}

} // namespace tq350::font
