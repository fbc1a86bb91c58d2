// tq350-sim: a virtual TQ-350 thermal printer on a pseudo terminal, for trying the setup tool
// under Wine without the hardware.

#include "console_font.h"
#include "faults.h"
#include "journal.h"
#include "paper_output.h"
#include "printer.h"
#include "profile.h"
#include "session.h"
#include "simulator.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace tq350::sim;

constexpr const char* usage =
    "usage: tq350-sim --link PATH [--journal FILE] [--profile FILE] [--control FILE]\n"
    "                 [--fault NAME[=ARG]]... [--seed N] [--paper DIR [--fonts DIR]]\n"
    "faults: mute, short=N, garbage, slow[=MS], xoff=MS, xoff_after=N, vanish=N, exclusive\n";

struct Options {
    std::string link;
    std::string journal;
    std::string profile;
    std::string control;
    std::string paper;
    std::string fonts = console_font_dir;
    std::vector<std::string> faults;
    std::optional<std::uint32_t> seed;
};

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
    auto text = [](std::string& field) {
        return [&field](const std::string& v) {
            field = v;
            return true;
        };
    };
    const std::map<std::string, std::function<bool(const std::string&)>> takes_value = {
        {"--link", text(options.link)},
        {"--journal", text(options.journal)},
        {"--profile", text(options.profile)},
        {"--control", text(options.control)},
        {"--paper", text(options.paper)},
        {"--fonts", text(options.fonts)},
        {"--fault",
         [&](const std::string& v) {
             options.faults.push_back(v);
             return true;
         }},
        {"--seed",
         [&](const std::string& v) {
             std::uint32_t seed = 0;
             const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), seed);
             options.seed = seed;
             return ec == std::errc{} && end == v.data() + v.size();
         }},
    };
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        const auto option = takes_value.find(name);
        if (option == takes_value.end()) {
            error = "unknown argument " + name;
            return false;
        }
        if (value.empty() || !option->second(value)) {
            error = name + " needs a value" + (name == "--seed" ? " (a number)" : "");
            return false;
        }
    }
    if (options.link.empty()) {
        error = "--link PATH is required";
        return false;
    }
    return true;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "tq350-sim: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (!parse_options(argc, argv, options, error))
        return fail(error + "\n" + usage);

    Profile profile = default_profile();
    if (!options.profile.empty() && !load_profile(options.profile, profile, error))
        return fail(error);
    if (const std::string refused = check_profile_replies(profile); !refused.empty())
        return fail("profile refused: " + refused);

    // The fonts are read only for printing, so a printer without paper runs without them.
    ResidentFonts fonts;
    if (!options.paper.empty() && !load_resident_fonts(options.fonts, fonts, error))
        return fail(error);

    Faults faults;
    for (const std::string& fault : options.faults)
        if (!add_fault(fault, faults, error))
            return fail(error);
    if (!check_faults(faults, error))
        return fail(error);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> journal_file(nullptr, std::fclose);
    if (!options.journal.empty()) {
        journal_file.reset(std::fopen(options.journal.c_str(), "w"));
        if (!journal_file)
            return fail("cannot write " + options.journal + ": " + std::strerror(errno));
    }

    // Signals arrive through a descriptor so that the event loop ends cleanly and can remove
    // the link; a reader of our stdout going away must not kill us either.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signal_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
    if (signal_fd < 0)
        return fail(std::string("signalfd: ") + std::strerror(errno));

    const auto start = Clock::now();
    Journal journal(journal_file.get(), start);
    Printer printer(profile);
    Session session(printer, journal, options.seed.value_or(std::random_device{}()));
    std::optional<PaperOutput> paper;
    if (!options.paper.empty()) {
        paper.emplace(options.paper, fonts, journal);
        if (!paper->prepare(error))
            return fail(error);
        session.set_paper(&*paper);
    }
    journal.write(JournalLine("start")
                      .add("pid", std::int64_t{getpid()})
                      .add("profile", options.profile.empty() ? "default" : options.profile.c_str())
                      .add("bps", std::int64_t{printer.speed()}));
    session.set_faults(faults, "command_line", start);

    Simulator simulator(options.link, options.control, printer, session, journal);
    const int status = simulator.run(signal_fd);
    close(signal_fd);
    return status;
}
