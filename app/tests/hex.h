// Byte sequences as the printer sees them, "1B 40 00", so that a failing
// comparison shows which byte on the wire, in a file or in a bitmap is wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tq350::test {

inline std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, text.empty() ? "%02X" : " %02X", unsigned{b});
        text += cell;
    }
    return text;
}

} // namespace tq350::test
