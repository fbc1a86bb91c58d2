// The command line: which command, its operands and options, checked against
// the command's own table before anything else happens.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tq350::cli {

// Exit statuses.
inline constexpr int exit_done = 0;
inline constexpr int exit_printer = 1; // the printer did not answer, or a send failed
inline constexpr int exit_usage = 2;
inline constexpr int exit_file = 3; // a file could not be read or is not what it should be

struct Invocation {
    std::string command; // "info", "logo download", ...
    std::vector<std::string> operands;
    // Options given with a value, each value in the order given.
    std::map<std::string, std::vector<std::string>> values;
    // Options given without a value.
    std::vector<std::string> flags;
    std::string port;
    std::uint32_t speed = 9600;
    bool json = false;
    bool quiet = false;

    bool has(const std::string& flag) const;
    // The last value given for an option, or nothing.
    std::optional<std::string> value(const std::string& option) const;
};

struct ParsedArguments {
    std::optional<Invocation> invocation;
    std::string error; // for the usage message when there is no invocation
    bool help = false;
};

// `port_from_environment` is TQ350_PORT's value, or nothing.
ParsedArguments parse_arguments(const std::vector<std::string>& arguments,
                                const std::optional<std::string>& port_from_environment);

// Whether the command talks to a printer (and so needs a port).
bool needs_port(const std::string& command);

extern const char* const usage_text;

} // namespace tq350::cli
