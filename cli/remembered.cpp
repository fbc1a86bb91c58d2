#include "cli/remembered.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tq350::cli {

namespace {

std::filesystem::path state_folder() {
    if (const char* dir = std::getenv("TQ350_STATE_DIR"))
        return dir;
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"))
        return std::filesystem::path(local) / "tq350";
#endif
    if (const char* state = std::getenv("XDG_STATE_HOME"))
        return std::filesystem::path(state) / "tq350";
    if (const char* home = std::getenv("HOME"))
        return std::filesystem::path(home) / ".local" / "state" / "tq350";
    return "tq350-state";
}

} // namespace

Remembered Remembered::load(const std::string& port) {
    Remembered r;
    std::string name;
    for (const char c : port)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    // Never "COM5.state": to Windows a file named after a device, whatever its
    // extension or folder, is that device, and reading it would wait on the port.
    r.path_ = (state_folder() / ("printer-" + name + ".state")).string();
    std::ifstream in(r.path_);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            r.values_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return r;
}

bool Remembered::save() const {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    std::ofstream out(path_, std::ios::trunc);
    for (const auto& [key, value] : values_)
        out << key << '=' << value << '\n';
    return static_cast<bool>(out.flush());
}

std::optional<int> Remembered::number(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(it->second.c_str(), &end, 10);
    if (end == it->second.c_str() || *end != '\0')
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> Remembered::text(const std::string& key) const {
    const auto it = values_.find(key);
    return it == values_.end() ? std::nullopt : std::optional(it->second);
}

} // namespace tq350::cli
