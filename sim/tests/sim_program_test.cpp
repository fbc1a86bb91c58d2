// The real tq350-sim on a real pty, driven the way the setup tool drives it under Wine: open the
// link, set the line speed on the tty, write a command, read the reply.

#include "golden.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>

namespace tq350::sim {
namespace {

using namespace test;
namespace fs = std::filesystem;

const Bytes greeting = hex("1B 40 00");
const Bytes info_request = hex("1B 40 1B 3D 01 1B 5A");

// True when `fd` has something to read before the deadline, which is only reached when
// something is wrong.
bool readable(int fd, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, std::max(0, static_cast<int>(left.count()))) > 0;
}

Clock::time_point patience() {
    return Clock::now() + std::chrono::seconds(5);
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

    // Up to `count` bytes, or what came in time.
    Bytes read(std::size_t count) {
        Bytes got(count);
        std::size_t n = 0;
        for (ssize_t r = 1; n < count && r > 0 && readable(fd_, patience());
             n += std::max<ssize_t>(r, 0))
            r = ::read(fd_, got.data() + n, count - n);
        got.resize(n);
        return got;
    }

  private:
    int fd_;
};

class SimProgram : public testing::Test {
  protected:
    void TearDown() override {
        // A sanitizer report, or a leak found at exit, ends the program with another status.
        if (out_) {
            const std::string start = journal();
            ::kill(std::stoi(start.substr(start.find(R"("pid":)") + 6)), SIGTERM);
            EXPECT_EQ(wait_exit(), 0) << "tq350-sim said: " << read(dir_ / "stderr");
            EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
            EXPECT_TRUE(journal_names(journal()).ends_with(" stop link_removed")) << journal();
        }
        if (watch_ >= 0)
            ::close(watch_);
    }

    // Runs the program on the link in the scratch folder, its stderr into a file there.
    void spawn(const std::vector<std::string>& args) {
        std::string command = "exec " TQ350_SIM_PATH " --link " + link_;
        for (const std::string& a : args)
            command += " '" + a + "'";
        out_ = popen((command + " 2>" + dir_ / "stderr").c_str(), "r");
        ASSERT_NE(out_, nullptr);
    }

    // Starts the program with its journal and control file and waits for it to be ready.
    void start(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--journal", dir_ / "journal", "--control", dir_ / "control"});
        spawn(args);
        slave_ = wait_ready();
        ASSERT_FALSE(slave_.empty());
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(watch_, (dir_ / "journal").c_str(), IN_MODIFY), 0);
    }

    // The slave device of the next "ready" line, or "" when the program prints none in time.
    std::string wait_ready() {
        char line[256];
        const bool got = readable(fileno(out_), patience()) && std::fgets(line, sizeof line, out_);
        const std::string ready = got ? line : "";
        return ready.starts_with("ready ") ? ready.substr(6, ready.size() - 7) : "";
    }

    int wait_exit() {
        const int status = pclose(out_);
        out_ = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string read(const std::string& file) {
        std::ifstream in(file);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string journal() const { return read(dir_ / "journal"); }

    // Waits until the journal holds `text`.
    bool wait_journal(const std::string& text) {
        const auto deadline = patience();
        while (journal().find(text) == std::string::npos) {
            if (!readable(watch_, deadline))
                return false;
            char events[4096];
            while (::read(watch_, events, sizeof events) > 0) {
            }
        }
        return true;
    }

    void write_control(const std::string& text) { std::ofstream(dir_ / "control") << text; }

    const ScratchDir dir_;
    const std::string link_ = dir_ / "COM3";
    std::string slave_;
    std::FILE* out_ = nullptr;
    int watch_ = -1;
};

TEST_F(SimProgram, AnswersAtItsSpeedAndChangesSpeedWhenTheConnectionEnds) {
    start();
    EXPECT_EQ(fs::read_symlink(link_), slave_);
    {
        Port port(link_, B9600);
        port.write(greeting + info_request + hex("1B 60 1B 76"));
        EXPECT_EQ(port.read(35), hex("54 51 2D 33 35 30 20 4D 6F 62 69 6C 65 20 50 72 69 6E 74 65"
                                     "72 20 30 30 32 31 30 42 04 00 00 00 6A 39 00"));
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
    EXPECT_EQ(journal_names(journal()),
              "start faults link open greeting info_request power_request status_request close "
              "open noise set_speed status_request close speed_changed open status_request "
              "total_reset close speed_changed");
}

TEST_F(SimProgram, TakesFaultsFromTheCommandLineAndTheControlFile) {
    std::ofstream(dir_ / "card") << "track1 = ABC\ntrack2 = 123\ncard_delay_ms = 50\n";
    start({"--fault", "mute", "--profile", dir_ / "card"});
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
    next.write(hex("1B 76"));
    EXPECT_EQ(next.read(1), hex("00"));
    EXPECT_TRUE(journal_names(journal()).starts_with(
        "start faults link open fault_action close fault_action open "
        "fault_action status_request"))
        << "the refused open is never seen as a connection";
}

TEST_F(SimProgram, VanishesAndComesBackWhenTheFaultIsCleared) {
    start({"--fault", "vanish=5"});
    Port(link_, B9600).write(greeting + info_request);
    ASSERT_TRUE(wait_journal(R"("name":"link_removed")"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << "the link goes with the printer";
    write_control("");
    const std::string slave = wait_ready();
    ASSERT_FALSE(slave.empty());
    EXPECT_EQ(fs::read_symlink(link_), slave);
    Port port(link_, B9600);
    port.write(hex("1B 76"));
    EXPECT_EQ(port.read(1), hex("00"));
}

TEST_F(SimProgram, PrintsEachConnectionIntoThePaperFolder) {
    start({"--paper", dir_ / "paper"});
    Port(link_, B9600).write(logo_page());
    ASSERT_TRUE(wait_journal(R"("name":"logo_image","conn":1)"));
    EXPECT_EQ(golden_difference(dir_ / "paper/paper-0001.png", "logo-paper-0001.png"), "");
    EXPECT_EQ(golden_difference(dir_ / "paper/logo.png", "logo-logo.png"), "");
}

TEST_F(SimProgram, RefusesToStartWithWhatItCannotUse) {
    std::ofstream(dir_ / "bad") << "status = 0x13\n";
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--profile", dir_ / "bad"}, "status would put 0x13 (XOFF)"},
        {{"--paper", dir_ / "paper", "--fonts", dir_ / "none"}, "console-setup-linux"},
        {{"--fault", "xoff_after=5"}, "needs xoff=MS as well"},
        {{"--speed", "9600"}, "unknown argument --speed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        spawn(c.args);
        EXPECT_EQ(wait_ready(), "");
        EXPECT_EQ(wait_exit(), 2);
        EXPECT_NE(read(dir_ / "stderr").find(c.message), std::string::npos);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
    }
}

} // namespace
} // namespace tq350::sim
