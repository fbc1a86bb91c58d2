// Byte strings written the way the printer sees them, a session with its journal in memory,
// and scratch folders.
#pragma once

#include "session.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::sim::test {

using Bytes = std::vector<std::uint8_t>;

// "1B 40 00" -> {0x1B, 0x40, 0x00}.
inline Bytes hex(std::string_view text) {
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != ' ')
            bytes.push_back(static_cast<std::uint8_t>(
                std::stoi(std::string(text.substr(i++, 2)), nullptr, 16)));
    return bytes;
}

inline Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes repeat(std::uint8_t byte, std::size_t count) {
    return Bytes(count, byte);
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The names of a journal's lines in order, e.g. "open greeting close".
inline std::string journal_names(const std::string& journal) {
    std::istringstream lines(journal);
    std::string line, out;
    while (std::getline(lines, line)) {
        const auto at = line.find("\"name\":\"") + 8;
        out += (out.empty() ? "" : " ") + line.substr(at, line.find('"', at) - at);
    }
    return out;
}

// The default printer (or another) and its session, the journal kept in memory.
class SessionRun {
  public:
    explicit SessionRun(const Profile& profile = default_profile()) : printer(profile) {}
    ~SessionRun() {
        std::fclose(memory_);
        std::free(text_);
    }
    SessionRun(const SessionRun&) = delete;
    SessionRun& operator=(const SessionRun&) = delete;

    // A connection that sends `bytes` at the printer's speed.
    SessionRun& connection(const Bytes& bytes, Clock::time_point at = Clock::now()) {
        session.port_opened(at);
        session.received(bytes, printer.speed(), at);
        session.port_closed(at);
        return *this;
    }

    std::string journal() {
        std::fflush(memory_);
        return std::string(text_, size_);
    }

  private:
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* memory_ = open_memstream(&text_, &size_);

  public:
    Journal log{memory_, {}};
    Printer printer;
    Session session{printer, log, 42};
};

// A fresh folder under /tmp, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir() {
        char name[] = "/tmp/tq350-sim-test-XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error("cannot make a scratch folder");
        path_ = name;
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace tq350::sim::test
