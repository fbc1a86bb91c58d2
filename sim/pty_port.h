// The pseudo terminal that stands in for the printer's serial port, and the link Wine opens.
#pragma once

#include <string>
#include <utility>

namespace tq350::sim {

// Owns one file descriptor.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

struct PtyPort {
    UniqueFd master; // the printer's end, non-blocking
    // Held open for the port's whole life: without it the master reads EIO whenever the program
    // closes the port. It is also where the program's line speed is read.
    UniqueFd slave;
    std::string slave_path;
};

// A raw pty at `bps`. False with a message on failure.
bool open_pty_port(int bps, PtyPort& port, std::string& error);

// The output speed of the tty in bps, as the program's SetCommState left it; 0 if unknown.
int tty_speed(int fd);

// Locks or unlocks the pty's slave side: while locked every open of it fails with EIO, root's
// included (a TIOCEXCL tty still lets root in). Descriptors already open are not affected.
bool lock_pty(const PtyPort& port, bool locked, std::string& error);

// Makes `link` a symbolic link to `target`, replacing a link that is there (never a file).
bool replace_link(const std::string& link, const std::string& target, std::string& error);

// Removes `link` if it still points at `target`: another printer may have taken it over.
void remove_link(const std::string& link, const std::string& target);

} // namespace tq350::sim
