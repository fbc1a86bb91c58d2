#include "pty_port.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tq350::sim {
namespace {

struct SpeedCode {
    int bps;
    speed_t code;
};

constexpr SpeedCode speed_codes[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
};

std::string failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        reset(std::exchange(other.fd_, -1));
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool open_pty_port(int bps, PtyPort& port, std::string& error) {
    UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master) {
        error = failed("posix_openpt");
        return false;
    }
    if (grantpt(master.get()) != 0 || unlockpt(master.get()) != 0) {
        error = failed("grantpt/unlockpt");
        return false;
    }
    char name[128];
    if (ptsname_r(master.get(), name, sizeof name) != 0) {
        error = failed("ptsname");
        return false;
    }
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave) {
        error = failed(name);
        return false;
    }
    termios tio{};
    if (tcgetattr(slave.get(), &tio) != 0) {
        error = failed("tcgetattr");
        return false;
    }
    cfmakeraw(&tio);
    for (const SpeedCode& s : speed_codes)
        if (s.bps == bps) {
            cfsetospeed(&tio, s.code);
            cfsetispeed(&tio, s.code);
        }
    if (tcsetattr(slave.get(), TCSANOW, &tio) != 0) {
        error = failed("tcsetattr");
        return false;
    }
    port.master = std::move(master);
    port.slave = std::move(slave);
    port.slave_path = name;
    return true;
}

int tty_speed(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return 0;
    const speed_t code = cfgetospeed(&tio);
    for (const SpeedCode& s : speed_codes)
        if (s.code == code)
            return s.bps;
    return 0;
}

bool lock_pty(const PtyPort& port, bool locked, std::string& error) {
    int value = locked ? 1 : 0;
    if (ioctl(port.master.get(), TIOCSPTLCK, &value) != 0) {
        error = failed("TIOCSPTLCK");
        return false;
    }
    return true;
}

bool replace_link(const std::string& link, const std::string& target, std::string& error) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    // A new link renamed over the old one, so that Wine never finds the path missing.
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        error = failed(("symlink " + temporary).c_str());
        return false;
    }
    if (rename(temporary.c_str(), link.c_str()) != 0) {
        error = failed(("rename to " + link).c_str());
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void remove_link(const std::string& link, const std::string& target) {
    char points_to[4096];
    const ssize_t n = readlink(link.c_str(), points_to, sizeof points_to - 1);
    if (n < 0)
        return;
    if (std::string(points_to, static_cast<std::size_t>(n)) == target)
        ::unlink(link.c_str());
}

} // namespace tq350::sim
