// The real tq350-sim on a real pty, driven the way the setup tool drives it under Wine: open the
// link, set the line speed on the tty, write a command, read the reply.

#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <termios.h>

namespace tq350::sim {
namespace {

using namespace test;
namespace fs = std::filesystem;

const Bytes greeting = hex("1B 40 00");
const Bytes info_request = hex("1B 40 1B 3D 01 1B 5A");

// True when `fd` has something to read within 5 s, which only passes when something is wrong.
bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 5000) > 0;
}

// The program's end of the line: the link opened as Wine's CreateFile opens it.
class Port {
  public:
    // Set as SetCommState does it: raw, no flow control in our direction, 9600 bps.
    explicit Port(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    ~Port() { ::close(fd_); }

    void write(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Up to `count` bytes, or what came in time.
    Bytes read(std::size_t count) {
        Bytes got(count);
        std::size_t n = 0;
        for (ssize_t r = 1; n < count && r > 0 && readable(fd_); n += std::max<ssize_t>(r, 0))
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
    }

    // Runs the program on the link in the scratch folder, its stderr into a file there.
    void spawn(const std::vector<std::string>& args) {
        std::string command = "exec " TQ350_SIM_PATH " --link " + link_;
        for (const std::string& a : args)
            command += " '" + a + "'";
        out_ = popen((command + " 2>" + dir_ / "stderr").c_str(), "r");
        ASSERT_NE(out_, nullptr);
    }

    // The slave device of the next "ready" line, or "" when the program prints none in time.
    std::string wait_ready() {
        char line[256];
        const bool got = readable(fileno(out_)) && std::fgets(line, sizeof line, out_);
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

    const ScratchDir dir_;
    const std::string link_ = dir_ / "COM3";
    std::FILE* out_ = nullptr;
};

// Speeds, noise, faults and the paper are the Windows suites' to drive through the program;
// here it answers on its link and leaves nothing behind when it stops.
TEST_F(SimProgram, AnswersOnItsLink) {
    spawn({"--journal", dir_ / "journal", "--control", dir_ / "control"});
    const std::string slave = wait_ready();
    ASSERT_FALSE(slave.empty());
    EXPECT_EQ(fs::read_symlink(link_), slave);
    Port port(link_);
    port.write(greeting + info_request + hex("1B 60 1B 76"));
    EXPECT_EQ(port.read(35), hex("54 51 2D 33 35 30 20 4D 6F 62 69 6C 65 20 50 72 69 6E 74 65"
                                 "72 20 30 30 32 31 30 42 04 00 00 00 6A 39 00"));
}

TEST_F(SimProgram, RefusesAProfileWhoseRepliesTheLineCannotCarry) {
    std::ofstream(dir_ / "bad") << "status = 0x13\n";
    spawn({"--profile", dir_ / "bad"});
    EXPECT_EQ(wait_ready(), "");
    EXPECT_EQ(wait_exit(), 2);
    EXPECT_NE(read(dir_ / "stderr").find("status would put 0x13 (XOFF)"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

} // namespace
} // namespace tq350::sim
