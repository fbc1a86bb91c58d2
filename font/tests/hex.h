// Byte sequences as the printer and the file see them, "1B 26 30", so that a
// failing comparison shows which byte is wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tq350::font::test {

inline std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X", unsigned{b});
        if (!text.empty()) {
            text += ' ';
        }
        text += cell;
    }
    return text;
}

} // namespace tq350::font::test
