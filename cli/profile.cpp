#include "cli/profile.h"

#include <algorithm>
#include <array>

namespace tq350::cli {

namespace {

constexpr std::array<std::string_view, 11> profile_keys{
    "density", "auto-off",     "black-mark",  "irda-speed", "irda-protocol", "speed",
    "logo",    "logo-stretch", "logo-center", "font-a",     "font-b"};

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

ProfileResult parse_profile(std::string_view text) {
    Profile profile;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#')
            continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return {std::nullopt, where + "not a 'key = value' line"};
        const std::string key(trim(line.substr(0, eq)));
        std::string value(trim(line.substr(eq + 1)));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (key.starts_with("switch.")) {
            profile.values["switch"].push_back(key.substr(7) + "=" + value);
        } else if (std::find(profile_keys.begin(), profile_keys.end(), key) != profile_keys.end()) {
            if (profile.values.contains(key))
                return {std::nullopt, where + "'" + key + "' given twice"};
            profile.values[key].push_back(value);
        } else {
            return {std::nullopt, where + "unknown key '" + key + "'"};
        }
    }
    return {std::move(profile), {}};
}

} // namespace tq350::cli
