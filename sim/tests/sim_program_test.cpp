// The real tq350-sim on a real pty, driven the way the setup tool drives it under Wine: open the
// link, set the line speed on the tty, write a command, read the reply.

#include "paper_support.h"
#include "test_support.h"

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

using test::Bytes;
using test::hex;
using test::operator+;
using test::Rows;
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

TEST_F(SimProgram, AnswersTheQueriesOfAConnection) {
    start();
    EXPECT_EQ(std::filesystem::read_symlink(link_), slave_);
    Port port(link_, B9600);
    ASSERT_TRUE(port.is_open());
    port.write(greeting + info_request);
    EXPECT_EQ(port.read(32), default_info);
    port.write(hex("1B 60"));
    EXPECT_EQ(port.read(2), hex("6A 39"));
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, JournalsEachOpenAndCloseOfTheProgramOnly) {
    start();
    // The setup tool pauses 300 ms after each close; waiting for the close to be seen keeps
    // the two connections apart the same way.
    for (const char* closed : {R"("name":"close","conn":1)", R"("name":"close","conn":2)"}) {
        Port(link_, B9600).write(hex("07"));
        ASSERT_TRUE(wait_journal(closed));
    }
    EXPECT_EQ(journal_names(), "start faults link open beep close open beep close");
}

TEST_F(SimProgram, TreatsBytesAtAnotherSpeedAsNoise) {
    start();
    Port port(link_, B19200);
    port.write(info_request);
    ASSERT_TRUE(wait_journal(R"("name":"noise","conn":1)"));
    port.set_speed(B9600);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00")) << "an answer to the noise would have come first";
}

TEST_F(SimProgram, ChangesSpeedWhenTheConnectionEnds) {
    start();
    {
        Port port(link_, B9600);
        port.write(hex("1B 53 34 1B 76"));
        EXPECT_EQ(port.read(1), hex("00"));
    }
    ASSERT_TRUE(wait_journal(R"("name":"speed_changed")"));
    {
        Port port(link_, B19200);
        port.write(hex("1B 76 1B 5F 1B 53 33 1B 3E 00 1B 2B"));
        EXPECT_EQ(port.read(1), hex("00"));
    }
    ASSERT_TRUE(wait_journal(R"("from":19200,"to":9600)"));
    Port port(link_, B9600);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, ReportsSwitchesWithoutXonInTheNextBlock) {
    start();
    Port port(link_, B9600);
    port.write(hex("1D 29 01 01 1D 29 05 01") + info_request);
    EXPECT_EQ(port.read(32).at(31), 0x31) << "0x11 would be eaten by the program's tty";
}

TEST_F(SimProgram, MuteAnswersNothingUntilTheControlFileClearsIt) {
    start({"--fault", "mute"});
    Port port(link_, B9600);
    port.write(info_request);
    ASSERT_TRUE(wait_journal(R"("fault":"mute")"));
    write_control("\n");
    ASSERT_TRUE(wait_journal(R"("source":"control","active":[])"));
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, ShortCutsEachReply) {
    start();
    write_control("short=5\n");
    ASSERT_TRUE(wait_journal(R"("active":["short=5"])"));
    Port port(link_, B9600);
    port.write(info_request + hex("1B 60"));
    EXPECT_EQ(port.read(7), hex("54 51 2D 33 35 6A 39"));
}

TEST_F(SimProgram, GarbageRepliesWithWrongBytesButNoFlowControl) {
    start({"--fault", "garbage", "--seed", "5"});
    Port port(link_, B9600);
    port.write(info_request);
    const Bytes got = port.read(32);
    ASSERT_EQ(got.size(), 32u);
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(got[i], default_info[i]);
        EXPECT_NE(got[i], 0x11);
        EXPECT_NE(got[i], 0x13);
    }
}

TEST_F(SimProgram, SlowLeavesMoreThan150MsBetweenBytes) {
    start({"--fault", "slow"});
    Port port(link_, B9600);
    port.write(hex("1B 60"));
    EXPECT_EQ(port.read(1), hex("6A"));
    const auto first = Clock::now();
    EXPECT_EQ(port.read(1), hex("39"));
    EXPECT_GT(Clock::now() - first, 150ms);
}

TEST_F(SimProgram, XoffHoldsTheLineWhenAConnectionWrites) {
    start({"--fault", "xoff=120"});
    Port port(link_, B9600);
    port.write(greeting);
    EXPECT_EQ(port.read(1), hex("13"));
    const auto held = Clock::now();
    EXPECT_EQ(port.read(1), hex("11"));
    EXPECT_GE(Clock::now() - held, 100ms);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
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
    EXPECT_EQ(journal_names(),
              "start faults link open fault_action close fault_action open fault_action "
              "status_request")
        << "the refused open is never seen as a connection";
}

TEST_F(SimProgram, VanishesAndComesBackWhenTheFaultIsCleared) {
    start({"--fault", "vanish=5"});
    const std::string first_slave = slave_;
    {
        Port port(link_, B9600);
        port.write(greeting + info_request);
        EXPECT_TRUE(port.wait_for_hangup());
    }
    struct stat st {};
    EXPECT_NE(lstat(link_.c_str(), &st), 0) << "the link goes with the printer";

    write_control("");
    const std::string slave = wait_ready();
    ASSERT_FALSE(slave.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link_), slave);
    Port port(link_, B9600);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, AnswersTheMagstripeFromItsProfileAfterTheSwipe) {
    std::ofstream(dir_ + "/card.profile") << "track1 = ABC\ntrack2 = 123\ncard_delay_ms = 50\n";
    start({"--profile", dir_ + "/card.profile"});
    Port port(link_, B9600);
    port.write(hex("1B 3F 0B 00"));
    EXPECT_EQ(port.read(8), hex("F1 41 42 43 F2 31 32 33"));
}

TEST_F(SimProgram, RefusesAProfileWhoseRepliesNeedXoff) {
    std::ofstream(dir_ + "/bad.profile") << "status = 0x13\n";
    ASSERT_EQ(spawn({TQ350_SIM_PATH, "--link", link_, "--profile", dir_ + "/bad.profile"}), 0);
    EXPECT_NE(read_line(stderr_).find("status would put 0x13 (XOFF)"), std::string::npos);
    EXPECT_EQ(read_line(stdout_), "");
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
}

TEST_F(SimProgram, PrintsEachConnectionIntoThePaperFolder) {
    const std::string paper = dir_ + "/paper";
    start({"--paper", paper});
    {
        Port port(link_, B9600);
        // A logo 8 dots wide, a caption line in font B, the logo in double width, 80 dots.
        port.write(hex("1B 40 00 1D 2A 01 02 FF 81 1B 25 00 1B 21 01 0A") +
                   Bytes{'L', 'o', 'g', 'o', '\n'} + hex("1D 2F 01 1B 4A 50"));
        port.write(hex("1B 76"));
        EXPECT_EQ(port.read(1), hex("00"));
    }
    ASSERT_TRUE(wait_journal(R"("name":"paper","conn":1,"file":")" + paper +
                             R"(/paper-0001.png","length_dots":114})"));
    GrayImage page;
    ASSERT_TRUE(test::read_png(paper + "/paper-0001.png", page));
    EXPECT_EQ(page.width, 384);
    EXPECT_EQ(page.height, 114);
    // Under an empty line and the caption, 16 dots each.
    EXPECT_EQ(test::window(page, 0, 32, 18, 3),
              (Rows{"################..", "##............##..", ".................."}));
    EXPECT_TRUE(wait_journal(R"("name":"logo_image","conn":1)"));
    GrayImage logo;
    ASSERT_TRUE(test::read_png(paper + "/logo.png", logo));
    EXPECT_EQ(test::window(logo, 0, 0, 8, 2), (Rows{"########", "#......#"}));
}

TEST_F(SimProgram, RefusesToPrintWithoutItsFonts) {
    ASSERT_EQ(spawn({TQ350_SIM_PATH, "--link", link_, "--paper", dir_ + "/paper", "--fonts",
                     dir_ + "/no-fonts"}),
              0);
    const std::string message = read_line(stderr_);
    EXPECT_NE(message.find(dir_ + "/no-fonts/"), std::string::npos) << message;
    EXPECT_NE(message.find("console-setup-linux"), std::string::npos) << message;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST_F(SimProgram, RemovesItsLinkWhenTerminated) {
    start();
    EXPECT_EQ(stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));
    EXPECT_EQ(journal_names(), "start faults link stop link_removed");
}

} // namespace
} // namespace tq350::sim
