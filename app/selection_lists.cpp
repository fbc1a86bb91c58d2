#include "app/selection_lists.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/settings_rules.h"

namespace tq350 {

namespace {

bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int32_t strtol32(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_c_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), limit);
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

std::optional<PortEntry> accept_port_entry(uint32_t type, std::span<const char> received) {
    if (type != kRegSz)
        return std::nullopt;
    auto end = std::find(received.begin(), received.end(), '\0');
    std::string_view text(received.data(), static_cast<size_t>(end - received.begin()));
    if (!text.starts_with("COM"))
        return std::nullopt;
    int32_t number = strtol32(text.substr(3));
    if (number == 0)
        return std::nullopt;
    return PortEntry{std::string(text), number};
}

} // namespace tq350
