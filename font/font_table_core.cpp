#include "font/font_table_core.h"

#include <algorithm>
#include <cstdio>

namespace tq350::font {

FontTable::FontTable(FontKind kind) : kind_(kind), bytes_(font_geometry(kind).table_size, 0) {}

std::optional<FontTable> FontTable::from_file_bytes(std::span<const std::uint8_t> bytes) {
    const std::optional<FontKind> kind = font_kind_of_file_size(bytes.size());
    if (!kind) {
        return std::nullopt;
    }
    FontTable table(*kind);
    std::copy(bytes.begin(), bytes.end(), table.bytes_.begin());
    return table;
}

std::span<const std::uint8_t> FontTable::record(int code) const {
    if (!is_character_code(code)) {
        return {};
    }
    const std::size_t size = geometry().record_size;
    return std::span<const std::uint8_t>(bytes_).subspan(
        static_cast<std::size_t>(code - first_code) * size, size);
}

std::span<std::uint8_t> FontTable::mutable_record(int code) {
    if (!is_character_code(code)) {
        return {};
    }
    const std::size_t size = geometry().record_size;
    return std::span<std::uint8_t>(bytes_).subspan(
        static_cast<std::size_t>(code - first_code) * size, size);
}

std::uint8_t FontTable::code_byte(int code) const {
    const std::span<const std::uint8_t> r = record(code);
    return r.empty() ? std::uint8_t{0} : r[0];
}

bool FontTable::is_defined(int code) const {
    return is_character_code(code) && code_byte(code) == code;
}

std::span<const std::uint8_t> FontTable::rows(int code) const {
    const std::span<const std::uint8_t> r = record(code);
    return r.empty() ? r : r.subspan(1);
}

void FontTable::define(int code, std::span<const std::uint8_t> rows) {
    const std::span<std::uint8_t> r = mutable_record(code);
    if (r.empty() || rows.size() != geometry().rows_size) {
        return;
    }
    r[0] = static_cast<std::uint8_t>(code);
    std::copy(rows.begin(), rows.end(), r.begin() + 1);
}

void FontTable::set_record(int code, std::span<const std::uint8_t> record) {
    const std::span<std::uint8_t> r = mutable_record(code);
    if (r.empty() || record.size() != r.size()) {
        return;
    }
    std::copy(record.begin(), record.end(), r.begin());
}

std::string code_list_item_text(int code) {
    if (!is_character_code(code)) {
        return {};
    }
    char text[16];
    const int length =
        std::snprintf(text, sizeof text, "'%c'\t%*d", code, code < 100 ? 4 : 3, code);
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace tq350::font
