// Bytes as the printer sees them, "1B 3F 0A 00", so that a failing comparison
// shows which byte on the wire is wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tq350::tools::test {

inline std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, text.empty() ? "%02X" : " %02X", unsigned{b});
        text += cell;
    }
    return text;
}

} // namespace tq350::tools::test
