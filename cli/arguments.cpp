#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/selection_lists.h"

namespace tq350::cli {

namespace {

struct CommandRule {
    std::string_view name;
    std::size_t min_operands;
    std::size_t max_operands;
    // Options taking a value, and options without one, blank-separated.
    std::string_view value_options;
    std::string_view flag_options;
};

constexpr std::array<CommandRule, 19> command_rules{{
    {"ports", 0, 0, "", ""},
    {"info", 0, 0, "", ""},
    {"set", 0, 0, "switch density auto-off black-mark irda-speed irda-protocol", ""},
    {"speed", 1, 1, "", ""},
    {"reset", 0, 0, "", ""},
    {"test", 1, 1, "", ""},
    {"beep", 0, 0, "", ""},
    {"blackmark", 0, 0, "", ""},
    {"off", 0, 0, "", ""},
    {"font download", 1, 1, "", "reset test"},
    {"font reset", 1, 1, "", ""},
    {"logo download", 1, 1, "center print", "stretch"},
    {"logo convert", 2, 2, "center", "stretch"},
    {"logo print", 1, 1, "", ""},
    {"logo delete", 0, 0, "", ""},
    {"barcode", 2, 2, "width height text font", ""},
    {"magstripe", 0, 0, "tracks", ""},
    {"bluetooth", 1, 1, "", "flag"},
    {"apply", 1, 1, "", "dry-run"},
}};

bool listed(std::string_view list, std::string_view word) {
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find(' ', at), list.size());
        if (list.substr(at, end - at) == word)
            return true;
        at = end + 1;
    }
    return false;
}

const CommandRule* find_rule(std::string_view name) {
    const auto it = std::find_if(command_rules.begin(), command_rules.end(),
                                 [&](const CommandRule& r) { return r.name == name; });
    return it == command_rules.end() ? nullptr : &*it;
}

ParsedArguments failed(std::string why) {
    return {std::nullopt, std::move(why), false};
}

} // namespace

bool Invocation::has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> Invocation::value(const std::string& option) const {
    const auto it = values.find(option);
    if (it == values.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

bool needs_port(const std::string& command) {
    return command != "ports" && command != "logo convert";
}

ParsedArguments parse_arguments(const std::vector<std::string>& arguments,
                                const std::optional<std::string>& port_from_environment) {
    Invocation call;
    const CommandRule* rule = nullptr;
    bool command_complete = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-h" || a == "--help")
            return {std::nullopt, {}, true};
        if (!(a.size() > 2 && a.starts_with("--"))) {
            if (call.command.empty()) {
                call.command = a;
            } else if (!command_complete && (call.command == "font" || call.command == "logo")) {
                call.command += " " + a;
            } else {
                call.operands.push_back(a);
            }
            command_complete = call.command != "font" && call.command != "logo";
            if (command_complete && !rule && !(rule = find_rule(call.command)))
                return failed("unknown command '" + call.command + "'");
            continue;
        }
        std::string name = a.substr(2);
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const bool common = name == "port" || name == "speed" || name == "json" || name == "quiet";
        const bool takes_value =
            name == "port" || name == "speed" || (rule && listed(rule->value_options, name));
        const bool known = common || (rule && (takes_value || listed(rule->flag_options, name)));
        if (!known)
            return failed((rule ? call.command + ": unknown option --" : "unknown option --") +
                          name);
        if (takes_value && !value) {
            if (i + 1 >= arguments.size())
                return failed("--" + name + " needs a value");
            value = arguments[++i];
        } else if (!takes_value && value) {
            return failed("--" + name + " takes no value");
        }
        if (name == "port") {
            call.port = *value;
        } else if (name == "speed") {
            const auto speed =
                std::find_if(kSpeedItems.begin(), kSpeedItems.end(),
                             [&](const ListItem& s) { return std::to_string(s.data) == *value; });
            if (speed == kSpeedItems.end())
                return failed("--speed: " + *value +
                              " is not one of 1200, 2400, 4800, 9600, 19200, 57600, 115200");
            call.speed = static_cast<std::uint32_t>(speed->data);
        } else if (name == "json" || name == "quiet") {
            (name == "json" ? call.json : call.quiet) = true;
        } else if (takes_value) {
            call.values[name].push_back(*value);
        } else {
            call.flags.push_back(name);
        }
    }
    if (call.command.empty())
        return failed("no command given");
    if (!rule)
        return failed("unknown command '" + call.command + "'");
    if (call.operands.size() < rule->min_operands || call.operands.size() > rule->max_operands)
        return failed(call.command + ": wrong number of arguments");
    if (call.port.empty() && port_from_environment)
        call.port = *port_from_environment;
    if (call.port.empty() && needs_port(call.command))
        return failed(call.command + ": no port (give --port or set TQ350_PORT)");
    return {std::move(call), {}, false};
}

const char* const usage_text =
    R"(usage: tq350 [--port PORT] [--speed BPS] [--json] [--quiet] COMMAND ...
  ports                          the serial ports present
  info                           name, features, switches, power and status
  set [--switch N=on|off]... [--density PCT] [--auto-off MIN] [--black-mark on|off]
      [--irda-speed 115200|57600] [--irda-protocol reliable|raw]
  speed BPS | reset | test short|long | beep | blackmark | off
  font download FILE.fnt [--reset] [--test]    font reset a|b
  logo download PICTURE [--stretch] [--center h,v] [--print normal|wide|tall|double]
  logo convert PICTURE OUT.png [--stretch] [--center h,v]
  logo print normal|wide|tall|double           logo delete
  barcode SYMBOLOGY DATA [--width 2-4] [--height 1-255] [--text none|above|below|both]
      [--font a|b]
  magstripe [--tracks 1,2,3]
  bluetooth ADDRESS [--flag]
  apply PROFILE [--dry-run]
The port is --port or TQ350_PORT; the speed 9600 unless --speed says otherwise.
Exit status: 0 done, 1 the printer did not answer or a send failed, 2 usage,
3 a file could not be read or is not what it should be.
)";

} // namespace tq350::cli
