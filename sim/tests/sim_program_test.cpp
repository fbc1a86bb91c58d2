// The real tq350-sim on a real pty, driven the way the setup tool drives it under Wine: open the
// link, set the line speed on the tty, write a command, read the reply.

#include "golden.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace tq350::sim {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Only reached when something is wrong.
constexpr auto patience = 5s;

const Bytes greeting = hex("1B 40 00");
const Bytes info_request = hex("1B 40 1B 3D 01 1B 5A");
const Bytes default_info = hex("54 51 2D 33 35 30 20 4D 6F 62 69 6C 65 20 50 72 69 6E 74 65 72 20"
                               "30 30 32 31 30 42 04 00 00 00");

int ms_until(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max(0, static_cast<int>(left.count()));
}

// The program's end of the line: the link opened as Wine's CreateFile opens it.
class Port {
  public:
    Port(const std::string& path, speed_t speed)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        if (fd_ >= 0)
            set_speed(speed);
    }
    ~Port() { close(); }
    bool is_open() const { return fd_ >= 0; }

    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // As SetCommState does it: raw, no flow control in our direction, the given speed.
    void set_speed(speed_t speed) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetospeed(&tio, speed);
        cfsetispeed(&tio, speed);
        tcsetattr(fd_, TCSANOW, &tio);
    }

    void write(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Up to `count` bytes, or what came before the deadline.
    Bytes read(std::size_t count, Clock::time_point deadline = Clock::now() + patience) {
        Bytes got;
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, ms_until(deadline)) <= 0 || !(p.revents & POLLIN))
                break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    // True once the printer's end of the line has gone away.
    bool wait_for_hangup() {
        const auto deadline = Clock::now() + patience;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, ms_until(deadline)) <= 0)
                return false;
            if (p.revents & (POLLHUP | POLLERR))
                return true;
            std::uint8_t byte;
            if (::read(fd_, &byte, 1) <= 0)
                return true;
        }
    }

  private:
    int fd_;
};

class SimProgram : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tq350-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        link_ = dir_ + "/COM3";
        journal_ = dir_ + "/journal.jsonl";
        control_ = dir_ + "/control";
    }

    void TearDown() override {
        // A sanitizer report, or a leak found at exit, ends the program with another status.
        if (pid_ > 0) {
            EXPECT_EQ(stop(), 0) << "tq350-sim said:\n" << rest_of(stderr_);
            EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
            EXPECT_TRUE(journal_names().ends_with(" stop link_removed")) << journal_names();
        }
        for (int fd : {stdout_, stderr_, watch_})
            if (fd >= 0)
                ::close(fd);
        std::filesystem::remove_all(dir_);
    }

    // Starts the program with the link, journal and control file in our directory.
    void start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {TQ350_SIM_PATH, "--link",    link_,   "--journal",
                                         journal_,       "--control", control_};
        args.insert(args.end(), extra.begin(), extra.end());
        const int status = spawn(args);
        ASSERT_EQ(status, 0);
        // The journal exists once the program runs; watch it from then on.
        slave_ = wait_ready();
        ASSERT_FALSE(slave_.empty());
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(watch_, journal_.c_str(), IN_MODIFY), 0);
    }

    int spawn(const std::vector<std::string>& args) {
        for (int fd : {stdout_, stderr_})
            if (fd >= 0)
                ::close(fd);
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int status = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        stdout_ = out[0];
        stderr_ = err[0];
        return status;
    }

    // The next line the program prints, or "" at the deadline.
    std::string read_line(int fd) {
        const auto deadline = Clock::now() + patience;
        std::string line;
        char c;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, ms_until(deadline)) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n')
                return line;
            line += c;
        }
    }

    // What the program wrote to `fd` and nobody read, once it has ended.
    static std::string rest_of(int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    std::string wait_ready() {
        const std::string line = read_line(stdout_);
        return line.rfind("ready ", 0) == 0 ? line.substr(6) : "";
    }

    // Ends the program as a script would; returns its exit status.
    int stop() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string journal_text() const {
        std::ifstream in(journal_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Waits until the journal holds `text`.
    bool wait_journal(const std::string& text) {
        const auto deadline = Clock::now() + patience;
        for (;;) {
            if (journal_text().find(text) != std::string::npos)
                return true;
            pollfd p{watch_, POLLIN, 0};
            if (::poll(&p, 1, ms_until(deadline)) <= 0)
                return false;
            char events[4096];
            while (::read(watch_, events, sizeof events) > 0) {
            }
        }
    }

    // The journal's line names, e.g. "start faults link open greeting".
    std::string journal_names() const {
        std::istringstream lines(journal_text());
        std::string line, out;
        while (std::getline(lines, line)) {
            const auto at = line.find("\"name\":\"") + 8;
            out += (out.empty() ? "" : " ") + line.substr(at, line.find('"', at) - at);
        }
        return out;
    }

    void write_control(const std::string& text) { std::ofstream(control_) << text; }

    std::string dir_, link_, journal_, control_, slave_;
    pid_t pid_ = -1;
    int stdout_ = -1, stderr_ = -1, watch_ = -1;
};

TEST_F(SimProgram, AnswersAtItsSpeedAndChangesSpeedWhenTheConnectionEnds) {
    start();
    EXPECT_EQ(std::filesystem::read_symlink(link_), slave_);
    {
        Port port(link_, B9600);
        port.write(greeting + info_request + hex("1B 60 1B 76"));
        EXPECT_EQ(port.read(35), default_info + hex("6A 39 00"));
    }
    // The setup tool pauses 300 ms after each close; waiting for the close to be seen keeps
    // the connections apart the same way.
    ASSERT_TRUE(wait_journal(R"("name":"close","conn":1)"));
    {
        Port port(link_, B19200);
        port.write(info_request);
        ASSERT_TRUE(wait_journal(R"("name":"noise","conn":2)"));
        port.set_speed(B9600);
        port.write(hex("1B 53 34 1B 76"));
        EXPECT_EQ(port.read(1), hex("00")) << "an answer to the noise would have come first";
    }
    ASSERT_TRUE(wait_journal(R"("name":"speed_changed")"));
    {
        Port port(link_, B19200);
        port.write(hex("1B 76 1B 5F 1B 53 33 1B 3E 00 1B 2B"));
        EXPECT_EQ(port.read(1), hex("00"));
    }
    ASSERT_TRUE(wait_journal(R"("from":19200,"to":9600)"));
    EXPECT_EQ(journal_names(), "start faults link open greeting info_request power_request "
                               "status_request close open noise set_speed status_request close "
                               "speed_changed open status_request total_reset close speed_changed");
}

TEST_F(SimProgram, TakesFaultsFromTheCommandLineAndTheControlFile) {
    std::ofstream(dir_ + "/card.profile") << "track1 = ABC\ntrack2 = 123\ncard_delay_ms = 50\n";
    start({"--fault", "mute", "--profile", dir_ + "/card.profile"});
    Port port(link_, B9600);
    port.write(info_request);
    ASSERT_TRUE(wait_journal(R"("fault":"mute")"));
    write_control("short=5\n");
    ASSERT_TRUE(wait_journal(R"("source":"control","active":["short=5"])"));
    port.write(info_request + hex("1B 60"));
    EXPECT_EQ(port.read(7), hex("54 51 2D 33 35 6A 39"));
    write_control("deaf\n");
    ASSERT_TRUE(wait_journal(R"("name":"control_error")"));
    write_control("");
    ASSERT_TRUE(wait_journal(R"("source":"control","active":[])"));
    port.write(hex("1B 3F 0B 00"));
    EXPECT_EQ(port.read(8), hex("F1 41 42 43 F2 31 32 33"));
}

TEST_F(SimProgram, ExclusiveRefusesEveryOtherOpenWhileThePortIsOpen) {
    start({"--fault", "exclusive"});
    Port holder(link_, B9600);
    ASSERT_TRUE(holder.is_open());
    ASSERT_TRUE(wait_journal(R"("fault":"exclusive","locked":true)"));
    EXPECT_FALSE(Port(link_, B9600).is_open());
    holder.close();
    ASSERT_TRUE(wait_journal(R"("fault":"exclusive","locked":false)"));
    Port next(link_, B9600);
    ASSERT_TRUE(next.is_open());
    next.write(hex("1B 76"));
    EXPECT_EQ(next.read(1), hex("00"));
    EXPECT_TRUE(journal_names().starts_with("start faults link open fault_action close "
                                            "fault_action open fault_action status_request"))
        << "the refused open is never seen as a connection";
}

TEST_F(SimProgram, VanishesAndComesBackWhenTheFaultIsCleared) {
    start({"--fault", "vanish=5"});
    {
        Port port(link_, B9600);
        port.write(greeting + info_request);
        EXPECT_TRUE(port.wait_for_hangup());
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)))
        << "the link goes with the printer";
    write_control("");
    const std::string slave = wait_ready();
    ASSERT_FALSE(slave.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link_), slave);
    Port port(link_, B9600);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, PrintsEachConnectionIntoThePaperFolder) {
    start({"--paper", dir_ + "/paper"});
    Port(link_, B9600).write(logo_page());
    ASSERT_TRUE(wait_journal(R"("name":"logo_image","conn":1)"));
    EXPECT_EQ(golden_difference(dir_ + "/paper/paper-0001.png", "logo-paper-0001.png"), "");
    EXPECT_EQ(golden_difference(dir_ + "/paper/logo.png", "logo-logo.png"), "");
}

TEST_F(SimProgram, RefusesToStartWithWhatItCannotUse) {
    std::ofstream(dir_ + "/bad.profile") << "status = 0x13\n";
    std::ofstream(dir_ + "/file") << "x";
    struct Case {
        std::vector<std::string> args;
        const char* message;
        int status;
    };
    const Case cases[] = {
        {{"--profile", dir_ + "/bad.profile"}, "status would put 0x13 (XOFF)", 2},
        {{"--paper", dir_ + "/paper", "--fonts", dir_ + "/no-fonts"}, "console-setup-linux", 2},
        {{"--fault", "xoff_after=5"}, "needs xoff=MS as well", 2},
        {{"--speed", "9600"}, "unknown argument --speed", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args = {TQ350_SIM_PATH, "--link", link_};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_EQ(spawn(args), 0);
        EXPECT_NE(read_line(stderr_).find(c.message), std::string::npos);
        EXPECT_EQ(read_line(stdout_), "");
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
    }
}

} // namespace
} // namespace tq350::sim
