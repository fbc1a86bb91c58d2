#include "faults.h"

#include "settings_text.h"

#include <charconv>

namespace tq350::sim {
namespace {

bool parse_count(std::string_view s, long long high, long long& value) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size() || v < 0 || v > high)
        return false;
    value = v;
    return true;
}

} // namespace

bool add_fault(std::string_view fault, Faults& faults, std::string& error) {
    fault = trim(fault);
    const auto eq = fault.find('=');
    const std::string_view name = trim(fault.substr(0, eq));
    const bool has_arg = eq != std::string_view::npos;
    const std::string_view arg = has_arg ? trim(fault.substr(eq + 1)) : std::string_view{};
    long long n = 0;
    auto no_arg = [&] {
        if (!has_arg)
            return true;
        error = "fault \"" + std::string(name) + "\" takes no value";
        return false;
    };
    auto number = [&](long long high) {
        if (has_arg && parse_count(arg, high, n))
            return true;
        error = "fault \"" + std::string(name) + "\" needs =N, N from 0 to " + std::to_string(high);
        return false;
    };
    if (name == "power_cycle") {
        if (!no_arg())
            return false;
        faults.power_cycle = true;
    } else if (name == "mute") {
        if (!no_arg())
            return false;
        faults.mute = true;
    } else if (name == "exclusive") {
        if (!no_arg())
            return false;
        faults.exclusive = true;
    } else if (name == "garbage") {
        if (!no_arg())
            return false;
        faults.garbage = true;
    } else if (name == "short") {
        if (!number(256))
            return false;
        faults.short_reply = static_cast<std::size_t>(n);
    } else if (name == "slow") {
        if (has_arg && !number(60000))
            return false;
        faults.slow_gap_ms = has_arg ? static_cast<int>(n) : default_slow_gap_ms;
    } else if (name == "xoff") {
        if (!number(600000))
            return false;
        faults.xoff_hold_ms = static_cast<int>(n);
    } else if (name == "xoff_after") {
        if (!number(1LL << 40))
            return false;
        faults.xoff_after = static_cast<std::size_t>(n);
    } else if (name == "vanish") {
        if (!number(1LL << 40))
            return false;
        faults.vanish_after = static_cast<std::size_t>(n);
    } else {
        error =
            "unknown fault \"" + std::string(fault) +
            "\" (mute, short=N, garbage, slow[=MS], xoff=MS, xoff_after=N, vanish=N, exclusive)";
        return false;
    }
    return true;
}

bool parse_faults(std::string_view text, Faults& faults, std::string& error) {
    Faults parsed;
    if (!parse_lines(text, error, [&](std::string_view line, std::string& why) {
            return add_fault(line, parsed, why);
        }))
        return false;
    if (!check_faults(parsed, error))
        return false;
    faults = parsed;
    return true;
}

bool check_faults(const Faults& faults, std::string& error) {
    if (faults.xoff_after && !faults.xoff_hold_ms) {
        error = "fault \"xoff_after\" needs xoff=MS as well";
        return false;
    }
    return true;
}

std::vector<std::string> fault_names(const Faults& f) {
    std::vector<std::string> names;
    if (f.mute)
        names.push_back("mute");
    if (f.short_reply)
        names.push_back("short=" + std::to_string(*f.short_reply));
    if (f.garbage)
        names.push_back("garbage");
    if (f.slow_gap_ms)
        names.push_back("slow=" + std::to_string(*f.slow_gap_ms));
    if (f.xoff_hold_ms)
        names.push_back("xoff=" + std::to_string(*f.xoff_hold_ms));
    if (f.xoff_after)
        names.push_back("xoff_after=" + std::to_string(*f.xoff_after));
    if (f.vanish_after)
        names.push_back("vanish=" + std::to_string(*f.vanish_after));
    if (f.exclusive)
        names.push_back("exclusive");
    return names;
}

std::vector<std::uint8_t> shape_reply(const std::vector<std::uint8_t>& reply, const Faults& faults,
                                      std::mt19937& random) {
    if (faults.mute)
        return {};
    std::vector<std::uint8_t> out = reply;
    if (faults.short_reply && out.size() > *faults.short_reply)
        out.resize(*faults.short_reply);
    if (faults.garbage) {
        std::uniform_int_distribution<int> any_byte(0, 255);
        for (std::uint8_t& b : out) {
            std::uint8_t g;
            do
                g = static_cast<std::uint8_t>(any_byte(random));
            while (g == b || g == 0x11 || g == 0x13);
            b = g;
        }
    }
    return out;
}

} // namespace tq350::sim
