#include "simulator.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tq350::sim {
namespace {

// Bytes the program wrote just before closing the port may reach the master a moment after the
// close is seen, since the pty hands them over from a kernel worker.
constexpr int close_grace_ms = 10;

void report(const std::string& message) {
    std::fprintf(stderr, "tq350-sim: %s\n", message.c_str());
}

} // namespace

Simulator::Simulator(std::string link, std::string control, Printer& printer, Session& session,
                     Journal& journal)
    : link_(std::move(link)), control_(std::move(control)), printer_(printer), session_(session),
      journal_(journal) {
    const auto slash = control_.rfind('/');
    control_dir_ = slash == std::string::npos ? "." : control_.substr(0, slash + 1);
    control_name_ = slash == std::string::npos ? control_ : control_.substr(slash + 1);
}

bool Simulator::open_port() {
    PtyPort port;
    std::string error;
    if (!open_pty_port(printer_.speed(), port, error) ||
        !replace_link(link_, port.slave_path, error)) {
        report(error);
        return false;
    }
    // The watch comes after our own slave descriptor is open, so only the program's opens and
    // closes are seen.
    port_watch_ = inotify_add_watch(watch_.get(), port.slave_path.c_str(),
                                    IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    if (port_watch_ < 0) {
        report("inotify on " + port.slave_path + ": " + std::strerror(errno));
        remove_link(link_, port.slave_path);
        return false;
    }
    journal_.write(JournalLine("link")
                       .add("link", link_)
                       .add("slave", port.slave_path)
                       .add("bps", std::int64_t{printer_.speed()}));
    std::printf("ready %s\n", port.slave_path.c_str());
    std::fflush(stdout);
    port_ = std::move(port);
    port_locked_ = false;
    return true;
}

void Simulator::close_port() {
    if (!port_)
        return;
    inotify_rm_watch(watch_.get(), port_watch_);
    port_watch_ = -1;
    remove_link(link_, port_->slave_path);
    journal_.write(JournalLine("link_removed").add("link", link_).add("slave", port_->slave_path));
    port_.reset();
    unsent_.clear();
}

void Simulator::keep_port_as_wanted() {
    if (port_ && !session_.port_wanted()) {
        session_.port_lost(Clock::now());
        close_port();
    } else if (!port_ && session_.port_wanted()) {
        open_port();
    }
}

void Simulator::keep_lock_as_wanted() {
    if (!port_ || session_.port_lock_wanted() == port_locked_)
        return;
    std::string error;
    if (!lock_pty(*port_, !port_locked_, error)) {
        report(error);
        return;
    }
    port_locked_ = !port_locked_;
    // Journaled once the lock is in place, so that a test that waits for it can rely on it.
    session_.port_lock_changed(port_locked_, Clock::now());
}

void Simulator::read_watch_events() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watch_.get(), buffer, sizeof buffer);
        if (n <= 0)
            return;
        // Taken before the grace period of a close, so the journal shows when it happened.
        const Clock::time_point seen = Clock::now();
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (port_ && e->wd == port_watch_) {
                if (e->mask & IN_OPEN)
                    session_.port_opened(seen);
                if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                    drain_master();
                    session_.port_closed(seen);
                    if (!session_.connected())
                        unsent_.clear();
                }
                keep_lock_as_wanted();
            } else if (e->wd == control_watch_ && e->len && control_name_ == e->name) {
                reload_control();
            }
        }
    }
}

void Simulator::read_master() {
    std::uint8_t buffer[4096];
    while (port_) {
        const ssize_t n = ::read(port_->master.get(), buffer, sizeof buffer);
        if (n <= 0)
            return;
        session_.received(std::span(buffer, static_cast<std::size_t>(n)),
                          tty_speed(port_->slave.get()), Clock::now());
        keep_port_as_wanted();
    }
}

void Simulator::drain_master() {
    read_master();
    while (port_) {
        pollfd p{port_->master.get(), POLLIN, 0};
        if (::poll(&p, 1, close_grace_ms) <= 0)
            return;
        read_master();
    }
}

void Simulator::send_due() {
    if (!port_)
        return;
    const auto due = session_.take_due(Clock::now());
    unsent_.insert(unsent_.end(), due.begin(), due.end());
    if (unsent_.empty())
        return;
    const ssize_t n = ::write(port_->master.get(), unsent_.data(), unsent_.size());
    if (n > 0)
        unsent_.erase(unsent_.begin(), unsent_.begin() + n);
}

void Simulator::reload_control() {
    std::string text;
    if (std::ifstream in{control_, std::ios::binary}) {
        std::ostringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    Faults faults;
    std::string error;
    if (!parse_faults(text, faults, error)) {
        journal_.write(JournalLine("control_error").add("file", control_).add("message", error));
        return;
    }
    session_.set_faults(faults, "control", Clock::now());
    keep_port_as_wanted();
    keep_lock_as_wanted();
}

int Simulator::poll_timeout_ms() const {
    if (!unsent_.empty())
        return -1; // POLLOUT wakes us
    const auto due = session_.next_due();
    if (!due)
        return -1;
    const auto wait = *due - Clock::now();
    if (wait <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

int Simulator::run(int signal_fd) {
    watch_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!watch_) {
        report(std::string("inotify: ") + std::strerror(errno));
        return 1;
    }
    if (!control_.empty()) {
        // The directory is watched, not the file: editors and scripts replace files by renaming.
        control_watch_ = inotify_add_watch(watch_.get(), control_dir_.c_str(),
                                           IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE);
        if (control_watch_ < 0) {
            report("inotify on " + control_dir_ + ": " + std::strerror(errno));
            return 1;
        }
    }
    if (!open_port())
        return 1;

    int signal_number = 0;
    while (!signal_number) {
        pollfd fds[3] = {{signal_fd, POLLIN, 0}, {watch_.get(), POLLIN, 0}, {-1, 0, 0}};
        if (port_)
            fds[2] = {port_->master.get(),
                      static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0};
        if (::poll(fds, 3, poll_timeout_ms()) < 0 && errno != EINTR) {
            report(std::string("poll: ") + std::strerror(errno));
            break;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signal_fd, &info, sizeof info) == sizeof info)
                signal_number = static_cast<int>(info.ssi_signo);
        }
        // Opens come first: the program opened the port before it wrote to it.
        read_watch_events();
        read_master();
        send_due();
    }
    journal_.write(
        JournalLine("stop").add("signal", signal_number ? strsignal(signal_number) : "none"));
    close_port();
    return signal_number ? 0 : 1;
}

} // namespace tq350::sim
