#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    using namespace tq350::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::optional<std::string> port;
    if (const char* env = std::getenv("TQ350_PORT"); env && *env)
        port = env;
    const ParsedArguments parsed = parse_arguments(arguments, port);
    if (parsed.help) {
        std::fputs(usage_text, stdout);
        return exit_done;
    }
    if (!parsed.invocation) {
        std::fprintf(stderr, "tq350: %s\n(tq350 --help lists the commands)\n",
                     parsed.error.c_str());
        return exit_usage;
    }
    return run_command(*parsed.invocation);
}
