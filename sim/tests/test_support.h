// Byte strings for tests, written the way the printer sees them, and readable failures.
#pragma once

#include "command.h"

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::sim::test {

using Bytes = std::vector<std::uint8_t>;

// "1B 40 00" -> {0x1B, 0x40, 0x00}.
inline Bytes hex(std::string_view text) {
    Bytes bytes;
    std::string digits;
    for (char c : text)
        if (c != ' ')
            digits += c;
    if (digits.size() % 2)
        throw std::invalid_argument("odd hex: " + std::string(text));
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes repeat(std::uint8_t byte, std::size_t count) {
    return Bytes(count, byte);
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace tq350::sim::test

namespace tq350::sim {

inline void PrintTo(const Command& c, std::ostream* os) {
    *os << command_name(c.kind) << " [";
    const char* digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < c.bytes.size(); ++i)
        *os << (i ? " " : "") << digits[c.bytes[i] >> 4] << digits[c.bytes[i] & 15];
    *os << "]";
}

} // namespace tq350::sim
