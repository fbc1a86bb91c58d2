// Bytes as "1D 2A 01", so that a failing comparison shows which byte on the
// wire or in the bitmap is wrong. run("FF", 3) is "FF FF FF".
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tq350::logo::test {

inline std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, text.empty() ? "%02X" : " %02X", unsigned{b});
        text += cell;
    }
    return text;
}

inline std::string run(const std::string& item, std::size_t count, const char* separator = " ") {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : separator) + item;
    }
    return text;
}

} // namespace tq350::logo::test
