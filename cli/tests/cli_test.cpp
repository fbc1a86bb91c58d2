// tq350 against tq350-sim on a pty: the bytes each command puts on the wire,
// as the printer's journal shows them, and what it tells its user. The files in
// data/ are copied into each test's folder: the printer's profile; an 8 x 2 picture
// whose top row is black on its left half (logo row bytes 0F and 00) as a
// bottom-up BMP (tiny.bmp), a top-down one (top.bmp) and a PNG (tiny.png); and
// wide.bmp, tiny.bmp claiming 500 dots a row, which the header check refuses.
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/hex.h"

extern char** environ;

namespace {

// The greeting, and the greeting with the information query.
const std::string G = "1B 40 00";
const std::string Q = "1B 40 00 | 1B 40 1B 3D 01 1B 5A | 1B 60 | 1B 76";

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A font A file defining "A" with every row byte AA.
std::vector<std::uint8_t> font_a_file() {
    std::vector<std::uint8_t> b(10976, 0);
    b[33 * 49] = 0x41;
    std::fill_n(b.begin() + 33 * 49 + 1, 48, 0xAA);
    return b;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tq350-cli-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        std::filesystem::copy(TQ350_CLI_TEST_DATA, dir_, std::filesystem::copy_options::recursive);
        write_file(dir_ / "a.fnt", font_a_file());
        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        const std::vector<std::string> args = {TQ350_SIM_PATH,
                                               "--link",
                                               (dir_ / "tty").string(),
                                               "--journal",
                                               journal(),
                                               "--control",
                                               (dir_ / "control").string(),
                                               "--profile",
                                               (dir_ / "printer.profile").string()};
        sim_ = spawn(args, out[1], 2);
        ::close(out[1]);
        sim_out_ = out[0];
        ASSERT_EQ(read_line().rfind("ready", 0), 0u);
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(watch_, journal().c_str(), IN_MODIFY), 0);
    }

    void TearDown() override {
        if (sim_ > 0) {
            ::kill(sim_, SIGTERM);
            int status = 0;
            waitpid(sim_, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "tq350-sim failed";
        }
        ::close(sim_out_);
        ::close(watch_);
        std::filesystem::remove_all(dir_);
    }

    static pid_t spawn(const std::vector<std::string>& args, int out, int err) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out, 1);
        posix_spawn_file_actions_adddup2(&actions, err, 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = -1;
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    std::string read_line() {
        std::string line;
        char c;
        pollfd p{sim_out_, POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(sim_out_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    std::string journal() const { return (dir_ / "journal").string(); }

    std::string journal_text() const {
        std::ifstream in(journal());
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // tq350 with the port and a state folder of this test, once the
    // printer has journaled the close of every connection it saw.
    Outcome tq350(std::vector<std::string> args) {
        // Files named in a case lie in the test's folder.
        for (std::string& a : args) {
            if (std::filesystem::path(a).has_extension() && a.find('/') == std::string::npos)
                a = (dir_ / a).string();
        }
        args.insert(args.begin(), {TQ350_CLI_PATH, "--port", (dir_ / "tty").string()});
        setenv("TQ350_STATE_DIR", (dir_ / "state").c_str(), 1);
        const auto out = dir_ / "stdout", err = dir_ / "stderr";
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const pid_t pid = spawn(args, o, e);
        ::close(o);
        ::close(e);
        int status = 0;
        waitpid(pid, &status, 0);
        const auto count = [&](const std::string& name) {
            const std::string text = journal_text(), key = "\"name\":\"" + name + "\"";
            std::size_t n = 0;
            for (std::size_t at = text.find(key); at != std::string::npos;
                 at = text.find(key, at + 1))
                ++n;
            return n;
        };
        pollfd p{watch_, POLLIN, 0};
        while (count("open") != count("close") && ::poll(&p, 1, 2000) > 0) {
            char events[4096];
            while (::read(watch_, events, sizeof events) > 0) {
            }
        }
        Outcome run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::ifstream so(out), se(err);
        std::getline(so, run.out, '\0');
        std::getline(se, run.err, '\0');
        return run;
    }

    // The bytes of every command the printer received since `from`, in order.
    std::string wire(std::size_t from = 0) const {
        std::istringstream lines(journal_text().substr(from));
        std::string line, out;
        while (std::getline(lines, line)) {
            const auto at = line.find("\"hex\":\"");
            if (at != std::string::npos)
                out += (out.empty() ? "" : " | ") +
                       line.substr(at + 7, line.find('"', at + 7) - at - 7);
        }
        return out;
    }

    void control(const std::string& faults) { std::ofstream(dir_ / "control") << faults << "\n"; }

    std::filesystem::path dir_;
    pid_t sim_ = -1;
    int sim_out_ = -1;
    int watch_ = -1;
};

struct Case {
    std::vector<std::string> args;
    std::string wire;
    std::string says;
};

const Case command_cases[] = {
    {{"info"}, Q, "Printer battery is too low!"},
    // Switches 1 and 3 come on from the printer and stay; only 2 and the density change.
    {{"set", "--switch", "2=on", "--density", "120"},
     Q + " | " + G +
         " | 1D 29 01 01 | 1D 29 02 01 | 1D 29 03 01 | 1D 29 04 00 | 1D 29 05 00 | 1D 29 07 00"
         " | 1D 29 08 00 | 1B 59 04 | 1B 78 0A | 1B 6C 00 | 1D 29 07 00 | 1B 3E 00 | 1B 2B | " +
         Q,
     "density: 100 % -> 120 %"},
    {{"speed", "19200"}, G + " | 1B 53 34 | " + Q, "speed: 19200 bps"},
    {{"reset"}, G + " | 1B 5F 1B 53 33 1B 3E 00 1B 2B | " + Q, "name number: 204"},
    {{"test", "short"}, G + " | 1B 54", "sent"},
    {{"test", "long"}, G + " | 1B 2E", "sent"},
    {{"beep"}, G + " | 07", "sent"},
    {{"blackmark"}, G + " | 0C", "sent"},
    {{"off"}, G + " | 1B 2B", "sent"},
    {{"logo", "print", "wide"}, G + " | 1D 2F 01 | 1B 4A 50", "sent"},
    {{"logo", "delete"}, G + " | 1D 2A 00 00 00", "sent"},
    {{"font", "reset", "b"}, G + " | 1B 26 31", "sent"},
    {{"font", "download", "a.fnt"},
     G + " | 1B 26 32 41 41 " + tq350::test::run("AA", 48),
     "53 bytes"},
    {{"barcode", "code128-b", "ABC", "--width", "2", "--height", "50", "--text", "both", "--font",
      "b"},
     G + " | 1D 77 02 | 1D 68 32 | 1D 66 01 | 1D 48 03 | 1D 6B 49 05 7B 42 41 42 43 | 1B 4A 50",
     "sent"},
    {{"bluetooth", "00:11:22:aa:bb:cc", "--flag"},
     G + " | 1B 3C 78 30 30 31 31 32 32 41 41 42 42 43 43",
     "sent"},
    {{"magstripe", "--tracks", "2"},
     G + " | 1B 3F 0A 00",
     "track 2: ;4111111111111111=29121010000000000000?"},
};

// Named by its words in ctest's list of cases.
void PrintTo(const Case& c, std::ostream* os) {
    for (const std::string& a : c.args)
        *os << a << ' ';
}

// Each command on a printer of its own, so that ctest runs them side by side.
class EveryCommand : public Cli, public testing::WithParamInterface<Case> {};

TEST_P(EveryCommand, PutsItsBytesOnTheWire) {
    const Case& c = GetParam();
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    const Outcome run = tq350(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(wire(), c.wire);
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Cli, EveryCommand, testing::ValuesIn(command_cases));

TEST_F(Cli, InfoJsonShowsTheProfile) {
    const Outcome run = tq350({"info", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* member :
         {"\"name\": \"TQ-350 Mobile Printer 00204\"", "\"name_number\": 204",
          "\"features\": [\"Installed Magnetic Cards Reader\", \"Use Farenhait Temperature\", "
          "\"Support Bluetooth Connection\", \"Support Black Marks\"]",
          "\"switches\": {\"1\": true, \"2\": false, \"3\": true, \"4\": false, \"5\": false, "
          "\"7\": false, \"8\": false}",
          "\"battery_volts\": 6.1", "\"temperature\": 77", "\"temperature_unit\": \"F\"",
          "\"status\": \"Printer battery is too low!\"", "\"status_byte\": 64"}) {
        EXPECT_NE(run.out.find(member), std::string::npos) << member << "\n" << run.out;
    }
}

TEST_F(Cli, LogoDownloadSendsTheConvertedPicture) {
    const Outcome run = tq350({"logo", "download", (dir_ / "tiny.bmp").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string sent = wire();
    EXPECT_EQ(sent.rfind(G + " | 1D 2A 01 02 0F 00 | 1B 25 00 | 1B 21 01 | 0A", 0), 0u) << sent;
    EXPECT_EQ(sent.substr(sent.size() - 19), "1D 2F 03 | 1B 4A 50");
}

// The same picture from three files converts to the same logo, dot for dot.
TEST_F(Cli, LogoConvertReadsEveryFormatAlike) {
    const std::uint8_t gray[16] = {0,   0,   0,   0,   255, 255, 255, 255,
                                   255, 255, 255, 255, 255, 255, 255, 255};
    for (const char* name : {"tiny.bmp", "top.bmp", "tiny.png"}) {
        SCOPED_TRACE(name);
        const auto out = dir_ / "logo.png";
        const Outcome run = tq350({"logo", "convert", (dir_ / name).string(), out.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        png_image back{};
        back.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&back, out.c_str()));
        back.format = PNG_FORMAT_GRAY;
        std::uint8_t dots[16];
        ASSERT_EQ(back.width * back.height, 16u);
        ASSERT_TRUE(png_image_finish_read(&back, nullptr, dots, 0, nullptr));
        EXPECT_EQ(std::vector(dots, dots + 16), std::vector(gray, gray + 16));
    }
    EXPECT_EQ(wire(), "");
}

TEST_F(Cli, ApplyTwiceSendsOnlyTheQueryTheSecondTime) {
    std::ofstream(dir_ / "fleet.conf") << "# the shop's printers\nswitch.4 = on\ndensity = 80\n"
                                          "logo = tiny.bmp\nfont-a = a.fnt\n";
    const Outcome first = tq350({"apply", (dir_ / "fleet.conf").string()});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "switch 4: changed\ndensity: changed\nlogo: changed\nfont a: changed\n");
    const std::string sent = wire();
    for (const char* part :
         {"1D 29 03 01 | 1D 29 04 01", "1B 59 01", "1D 2A 01 02 0F 00", "1B 26 32 41 41"})
        EXPECT_NE(sent.find(part), std::string::npos) << part;
    EXPECT_EQ(sent.substr(sent.size() - Q.size()), Q);

    const std::size_t from = journal_text().size();
    const Outcome second = tq350({"apply", (dir_ / "fleet.conf").string(), "--json"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(wire(from), Q);
    EXPECT_EQ(second.out.find("\"changed\""), std::string::npos) << second.out;
}

TEST_F(Cli, BadArgumentsAndFilesSendNothing) {
    write_file(dir_ / "text.gif", {'h', 'e', 'l', 'l', 'o'});
    write_file(dir_ / "short.fnt", std::vector<std::uint8_t>(100, 0));
    std::ofstream(dir_ / "bad.conf") << "density = 80\ncolour = red\n";
    struct BadCase {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const BadCase cases[] = {
        {{"info", "extra"}, 2, "wrong number of arguments"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"set", "--density", "75"}, 2, "density '75'"},
        {{"set", "--switch", "6=on"}, 2, "switch 6 is not used"},
        {{"set"}, 2, "nothing to set"},
        {{"speed", "9601"}, 2, "'9601' is not one of"},
        {{"test", "medium"}, 2, "short or long"},
        {{"logo", "print", "sideways"}, 2, "normal, wide, tall or double"},
        {{"barcode", "qr", "x"}, 2, "'qr': one of"},
        {{"bluetooth", "00:11"}, 2, "six hexadecimal bytes"},
        {{"magstripe", "--tracks", "4"}, 2, "tracks '4'"},
        {{"beep", "--loud"}, 2, "unknown option --loud"},
        {{"logo", "download", "missing.png"}, 3, "missing.png: cannot be read"},
        {{"logo", "download", "text.gif"}, 3, "text.gif: not a picture this program reads"},
        {{"logo", "download", "wide.bmp"}, 3, "wide.bmp: not a picture this program reads"},
        {{"font", "download", "short.fnt"}, 3, "short.fnt: not a font file"},
        {{"apply", "bad.conf"}, 3, "bad.conf: line 2: unknown key 'colour'"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        const Outcome run = tq350(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(journal_text().find("\"name\":\"open\""), std::string::npos);
}

// A printer that stops answering gives status 1 and names the step.
TEST_F(Cli, FaultsNameTheStep) {
    // Gone half-way through the parameters. Whether the tty driver still takes the rest or
    // fails the write depends on which side runs first; either way the step is named.
    control("vanish=20");
    Outcome run = tq350({"set", "--density", "80"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.find("(reading the printer back)") != std::string::npos ||
                run.err.find("did not take the bytes (writing the parameters)") != std::string::npos)
        << run.err;
    control("mute");
    ASSERT_EQ(read_line().rfind("ready", 0), 0u); // the printer is back after the vanish
    run = tq350({"info"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the printer did not answer (reading the printer)"), std::string::npos)
        << run.err;
}

} // namespace
