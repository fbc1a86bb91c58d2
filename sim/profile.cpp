#include "profile.h"

#include "command.h"
#include "settings_text.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace tq350::sim {
namespace {

// Decimal, or hexadecimal after 0x.
bool parse_number(std::string_view s, int low, int high, int& value) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc{} || end != s.data() + s.size() || v < low || v > high)
        return false;
    value = v;
    return true;
}

bool parse_features(std::string_view list, Profile& p, std::string& error) {
    p.features_27 = 0;
    p.features_28 = 0;
    std::istringstream words{std::string(list)};
    std::string word;
    while (words >> word) {
        if (!word.empty() && word.back() == ',')
            word.pop_back();
        if (word.empty() || word == "none")
            continue;
        const auto* f = std::find_if(std::begin(feature_names), std::end(feature_names),
                                     [&](const FeatureName& n) { return n.name == word; });
        if (f == std::end(feature_names)) {
            error = "unknown feature \"" + word + "\"";
            return false;
        }
        (f->byte == 27 ? p.features_27 : p.features_28) |= static_cast<std::uint8_t>(1 << f->bit);
    }
    return true;
}

bool set_value(std::string_view key, std::string_view value, Profile& p, std::string& error) {
    int n = 0;
    auto number = [&](int low, int high) {
        if (parse_number(value, low, high, n))
            return true;
        error = "expected a number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    };
    if (key == "name") {
        if (value.size() > 27) {
            error = "the name has room for 27 bytes (the name number is bytes 22-26)";
            return false;
        }
        if (value.find('\0') != std::string_view::npos) {
            error = "the name cannot hold a zero byte";
            return false;
        }
        p.name = value;
    } else if (key == "features") {
        return parse_features(value, p, error);
    } else if (key == "switches") {
        if (!number(0, 255))
            return false;
        p.switches = static_cast<std::uint8_t>(n);
    } else if (key == "voltage_tenths") {
        if (!number(0, 255))
            return false;
        p.voltage_tenths = n;
    } else if (key == "temperature") {
        if (!number(0, 255))
            return false;
        p.temperature = n;
    } else if (key == "status") {
        if (!number(0, 255))
            return false;
        p.status = static_cast<std::uint8_t>(n);
    } else if (key == "speed") {
        if (!parse_number(value, 0, 115200, n) ||
            std::find(std::begin(speed_table), std::end(speed_table), n) == std::end(speed_table)) {
            error = "speed must be one of 1200, 2400, 4800, 9600, 19200, 57600, 115200";
            return false;
        }
        p.speed = n;
    } else if (key == "track1" || key == "track2" || key == "track3") {
        p.tracks[static_cast<std::size_t>(key[5] - '1')] = value;
    } else if (key == "card") {
        if (value != "swipe" && value != "none") {
            error = "card is \"swipe\" or \"none\"";
            return false;
        }
        p.card_swiped = value == "swipe";
    } else if (key == "card_delay_ms") {
        if (!number(0, 600000))
            return false;
        p.card_delay_ms = n;
    } else {
        error = "unknown key \"" + std::string(key) + "\"";
        return false;
    }
    return true;
}

} // namespace

Profile default_profile() {
    Profile p;
    p.name = "TQ-350 Mobile Printer 00210";
    p.features_27 = 0x42; // magstripe reader, Bluetooth
    p.features_28 = 0x04; // black marks
    p.switches = 0x00;
    p.voltage_tenths = 74;
    p.temperature = 25;
    p.status = 0x00;
    p.speed = 9600;
    p.tracks = {"%B4111111111111111^TQ350/TEST CARD^2912101000000000000000000?",
                ";4111111111111111=29121010000000000000?",
                ";011234567890123445=724724000000000000000000000000000000000000000000000000?"};
    p.card_swiped = true;
    p.card_delay_ms = 1500;
    return p;
}

bool parse_profile(std::string_view text, Profile& profile, std::string& error) {
    Profile p = profile;
    const bool ok = parse_lines(text, error, [&](std::string_view line, std::string& why) {
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            why = "expected key = value";
            return false;
        }
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (set_value(key, value, p, why))
            return true;
        why = std::string(key) + ": " + why;
        return false;
    });
    if (ok)
        profile = p;
    return ok;
}

bool load_profile(const std::string& path, Profile& profile, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!parse_profile(text.str(), profile, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace tq350::sim
