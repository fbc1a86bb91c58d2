// The line format shared by the profile and the control file.
#pragma once

#include <string>
#include <string_view>

namespace tq350::sim {

inline std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Calls parse_line(line, why) for each line that is neither blank nor a '#' comment, blanks
// trimmed. Stops at the first line it rejects, with "line N: why" in `error`.
template <class ParseLine>
bool parse_lines(std::string_view text, std::string& error, ParseLine parse_line) {
    for (int number = 1; !text.empty(); ++number) {
        const auto eol = text.find('\n');
        const std::string_view line = trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (line.empty() || line[0] == '#')
            continue;
        std::string why;
        if (!parse_line(line, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

} // namespace tq350::sim
