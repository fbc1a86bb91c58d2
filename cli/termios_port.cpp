// The termios side of the printer line: what the Windows program's DCB and
// COMMTIMEOUTS give the COM port, given to a tty.
#include "cli/port.h"

#include <fcntl.h>
#include <glob.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

#include "link/exchanges.h"
#include "link/serial_line_core.h"

namespace tq350::cli {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

struct SpeedCode {
    std::uint32_t baud;
    speed_t code;
};

constexpr std::array<SpeedCode, 7> speed_codes{{
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {57600, B57600},
    {115200, B115200},
}};

int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// 8N1 with XON/XOFF on output only, raw otherwise, as the DCB has it.
bool configure(int fd, const link::LineSettings& settings) {
    const auto speed =
        std::find_if(speed_codes.begin(), speed_codes.end(),
                     [&](const SpeedCode& s) { return s.baud == settings.baud_rate; });
    termios tio{};
    if (speed == speed_codes.end() || tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
    if (settings.out_x)
        tio.c_iflag |= IXON;
    tio.c_cc[VSTART] = static_cast<cc_t>(settings.xon_char);
    tio.c_cc[VSTOP] = static_cast<cc_t>(settings.xoff_char);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, speed->code) == 0 && cfsetospeed(&tio, speed->code) == 0 &&
           tcsetattr(fd, TCSANOW, &tio) == 0;
}

class TermiosPort final : public link::PrinterLine {
  public:
    explicit TermiosPort(int fd) : fd_(fd) {}
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    ~TermiosPort() override {
        flush();
        set_modem_lines(false);
        close(fd_);
        pause(link::close_pause_ms);
    }

    // Pseudo terminals and some adapters have no modem lines; the printer on
    // them needs none, so a refusal is no failure.
    void set_modem_lines(bool raised) {
        const int lines = TIOCM_DTR | TIOCM_RTS;
        ioctl(fd_, raised ? TIOCMBIS : TIOCMBIC, &lines);
    }

    std::size_t write(std::span<const std::uint8_t> bytes) override {
        const auto& t = link::printer_timeouts;
        const auto deadline =
            Clock::now() + Milliseconds(t.write_total_constant +
                                        std::uint64_t{t.write_total_multiplier} * bytes.size());
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            // Held by XOFF or a full driver queue: wait for room until the time-out.
            pollfd p{fd_, POLLOUT, 0};
            const int left = remaining_ms(deadline);
            if (left == 0 || poll(&p, 1, left) <= 0 || (p.revents & (POLLERR | POLLHUP)))
                break;
        }
        return done;
    }

    bool flush() override { return tcdrain(fd_) == 0; }

    // The read ends at the total time-out for its size, or once the interval
    // time-out passes after a byte, as COMMTIMEOUTS make a COM port read.
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const auto& t = link::printer_timeouts;
        const auto deadline =
            Clock::now() + Milliseconds(t.read_total_constant +
                                        std::uint64_t{t.read_total_multiplier} * buffer.size());
        std::size_t got = 0;
        while (got < buffer.size()) {
            int wait = remaining_ms(deadline);
            if (got > 0)
                wait = std::min(wait, static_cast<int>(t.read_interval));
            pollfd p{fd_, POLLIN, 0};
            const int ready = poll(&p, 1, wait);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || !(p.revents & POLLIN))
                break;
            const ssize_t n = ::read(fd_, buffer.data() + got, buffer.size() - got);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return got;
    }

    void purge() override { tcflush(fd_, TCIOFLUSH); }

    void pause(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(Milliseconds(milliseconds));
    }

  private:
    int fd_;
};

// A /dev/ttyS* node exists for every UART slot the kernel reserved; only
// those with a UART behind them are ports.
bool has_uart(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool present = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    close(fd);
    return present;
}

std::vector<std::string> glob_paths(const char* pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (glob(pattern, 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i)
            paths.emplace_back(found.gl_pathv[i]);
    }
    globfree(&found);
    return paths;
}

} // namespace

std::unique_ptr<link::PrinterLine> open_printer_port(const std::string& name, std::uint32_t baud) {
    const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (!isatty(fd) || !configure(fd, link::printer_line_settings(baud))) {
        close(fd);
        return nullptr;
    }
    auto port = std::make_unique<TermiosPort>(fd);
    port->set_modem_lines(true);
    if (!link::wake_and_greet(*port))
        return nullptr;
    return port;
}

std::vector<std::string> list_serial_ports() {
    std::vector<std::string> ports;
    for (const std::string& path : glob_paths("/dev/ttyS*")) {
        if (has_uart(path))
            ports.push_back(path);
    }
    for (const char* pattern : {"/dev/ttyUSB*", "/dev/ttyACM*", "/dev/rfcomm*"}) {
        for (std::string& path : glob_paths(pattern))
            ports.push_back(std::move(path));
    }
    return ports;
}

} // namespace tq350::cli
