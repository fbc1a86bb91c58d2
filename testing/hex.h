// Byte sequences as the printer sees them, "1B 40 00", so that a failing
// comparison shows which byte on the wire, in a file or in a bitmap is wrong.
#pragma once

#include <cstddef>
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

// An item repeated: run("FF", 3) is "FF FF FF".
inline std::string run(const std::string& item, std::size_t count, const char* separator = " ") {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i == 0 ? "" : separator) + item;
    return text;
}

} // namespace tq350::test
