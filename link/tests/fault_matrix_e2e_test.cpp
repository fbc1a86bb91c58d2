// The fault matrix: the real program under Wine meets each way the printer or
// its port can fail, through one user action per fault. Every row checks what
// the user is told, that the window stays usable, that nothing was saved, what
// reached the printer and that it stored none of it, and that the next
// "Connect & Get" against the healthy printer shows its values again.
#include <cstring>

#include "link/tests/e2e_support.h"
#include "logo/tests/test_pictures.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

// A request nobody answers ends at the read time-out: 10 s + 100 ms a byte,
// 13.2 s for the information block.
constexpr DWORD kTimedOutMs = 2 * kExchangeMs;
constexpr const char* kCannotCommunicate = "Can NOT communicate with printer!";
constexpr const char* kPrinterName = "TQ-350 Mobile Printer 00210";

// Journal lines that say the printer now holds something it did not before.
constexpr const char* kStoringLines[] = {
    "set_switch", "set_density", "set_auto_off",      "set_black_mark", "set_irda_speed",
    "set_speed",  "total_reset", "bluetooth_address", "logo_define",    "logo_delete",
    "logo_image", "font_reset",  "font_define",       "font_image"};

enum class Action {
    connect_and_get, // from the disconnected state
    connect_and_set, // after a good "Connect & Get"
    logo_download,   // after a good "Connect & Get": a 384-dot 1-bit picture
};

struct Case {
    const char* name;
    Action action;
    const char* faults;  // the printer's faults during the action, one a line
    DWORD speed;         // the program's speed; the printer listens at 9600
    int port;            // COM5 reaches the printer; COM7's device does not exist
    bool port_held;      // the test holds COM5 open during the action, as another program would
    int logo_rows;       // logo_download: the picture's height
    const char* message; // the message box the user gets, "" for none
    bool connected;      // the state the action leaves the window in
    const char* wire;    // what reached the printer, or how it began for a download
    size_t wire_bytes;   // and how many bytes that was
    DWORD timeout;
};

const Case kCases[] = {
    {"MutePrinter", Action::connect_and_get, "mute", 9600, 5, false, 0, kCannotCommunicate, false,
     "1B 40 00 1B 40 1B 3D 01 1B 5A", 10, kTimedOutMs},
    {"ShortReply", Action::connect_and_get, "short=10", 9600, 5, false, 0, kCannotCommunicate,
     false, "1B 40 00 1B 40 1B 3D 01 1B 5A", 10, kExchangeMs},
    // Nothing in the replies tells a garbled block from a true one: the window
    // shows what came, and the next good query puts the printer's values back.
    {"GarbageReply", Action::connect_and_get, "garbage", 9600, 5, false, 0, "", true,
     "1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76", 14, kExchangeMs},
    {"SlowReply", Action::connect_and_get, "slow=200", 9600, 5, false, 0, kCannotCommunicate, false,
     "1B 40 00 1B 40 1B 3D 01 1B 5A", 10, kExchangeMs},
    // At 19200 every byte is noise to the printer, which answers nothing.
    {"WrongLineSpeed", Action::connect_and_get, "", 19200, 5, false, 0, kCannotCommunicate, false,
     "", 0, kTimedOutMs},
    {"PortAbsent", Action::connect_and_get, "", 9600, 7, false, 0, kCannotCommunicate, false, "", 0,
     kExchangeMs},
    // Wine lets a second program open a tty; the printer's exclusive fault makes
    // the test's hold refuse the program, as Windows does for a COM port.
    {"PortHeldByAnotherProgram", Action::connect_and_set, "exclusive", 9600, 5, true, 0,
     kCannotCommunicate, false, "", 0, kExchangeMs},
    // Gone after the greeting, the first chunk of 2048 bytes and some of the
    // second; the chunks after it fail with a beep each.
    {"PrinterVanishesMidDownload", Action::logo_download, "vanish=3000", 9600, 5, false, 247, "",
     false, "1B 40 00 1D 2A 30 F7", 3000, kTimedOutMs},
    // Three chunks: 2048, 2048 and 1850 bytes. XOFF once the first is in, held
    // through the pause of 2048 ms after it and the second chunk's write
    // time-out (1000 ms + 5 ms a byte: 11.24 s); the XON comes 2.7 s into the
    // third chunk's 10.25 s. The second chunk is lost although the last one
    // goes out, and the download must not count as done.
    {"XoffHeldPastTheWriteTimeOut", Action::logo_download, "xoff=16000\nxoff_after=2051", 9600, 5,
     false, 120, "", false, "1B 40 00 1D 2A 30 78", 3 + 2048 + 1850, kTimedOutMs},
};

// The row's name in test listings, instead of its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

// Holds COM5 open without sharing, as another program using the port does, and
// waits until the printer's exclusive fault has locked the port against others.
class PortHold {
  public:
    explicit PortHold(bool hold) {
        if (!hold)
            return;
        VirtualPrinter journal("com5");
        port_ = CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
        if (held() && !journal.wait_for_line("\"fault\":\"exclusive\",\"locked\":true"))
            release();
    }
    ~PortHold() { release(); }
    bool held() const { return port_ != INVALID_HANDLE_VALUE; }
    // Lets go and waits until the port takes other programs again.
    void release() {
        if (!held())
            return;
        VirtualPrinter journal("com5");
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
        journal.wait_for_line("\"fault\":\"exclusive\",\"locked\":false");
    }

  private:
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

class FaultMatrix : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        delete_settings();
        ASSERT_TRUE(com5_.set_faults("power_cycle"));
    }
    void TearDown() override {
        // A vanished printer makes its link again once the fault is gone.
        com5_.set_faults("");
        com5_.wait_for_link(kExchangeMs);
        delete_settings();
    }

    void act(Program& program, const Case& c) {
        switch (c.action) {
        case Action::connect_and_get:
            program.click(IDC_CONNECT_GET);
            break;
        case Action::connect_and_set:
            program.click(IDC_CONNECT_SET);
            break;
        case Action::logo_download: {
            std::vector<logo::test::Bytes> rows(c.logo_rows, logo::test::Bytes(48, 0xFF));
            for (size_t i = 0; i < rows.size(); i += 2)
                rows[i].assign(48, 0x00);
            const std::string picture = logo::test::write_scratch_file(
                std::string(c.name) + ".bmp",
                logo::test::bitmap_file(384, c.logo_rows, 1, 40, {0x000000, 0xFFFFFF}, rows));
            HWND logo_dialog = program.open_logo_dialog(picture, kExchangeMs);
            ASSERT_NE(logo_dialog, nullptr);
            ASSERT_TRUE(program.click_when_enabled(logo_dialog, IDOK, kExchangeMs));
            // Until it has gone, the dialog would pass for a message box.
            ASSERT_TRUE(program.wait_gone(logo_dialog, kExchangeMs));
            break;
        }
        }
    }

    VirtualPrinter com5_{"com5"};
};

TEST_P(FaultMatrix, TellsTheUserKeepsNothingAndRecovers) {
    const Case& c = GetParam();
    store_setting("COM Port", static_cast<DWORD>(c.port));
    store_setting("COM Speed", c.speed);
    Program program;
    ASSERT_TRUE(program.started());
    ASSERT_EQ(program.text(IDC_PORT), "COM" + std::to_string(c.port));
    if (c.action != Action::connect_and_get) {
        ASSERT_TRUE(connect_and_get(program, com5_));
    }

    const std::map<std::string, std::string> settings_before = stored_settings();
    ASSERT_TRUE(com5_.set_faults(c.faults));
    VirtualPrinter during("com5");
    PortHold hold(c.port_held);
    ASSERT_EQ(hold.held(), c.port_held);
    ASSERT_NO_FATAL_FAILURE(act(program, c));

    // The action ends in its message box, or in the state it leaves.
    program.wait_until(
        [&] {
            if (*c.message)
                return false;
            return c.connected ? program.enabled(IDC_CONNECT_SET) && during.closed_connections() > 0
                               : !program.enabled(IDC_CONNECT_SET);
        },
        c.timeout);
    if (*c.message) {
        EXPECT_NE(program.find_popup(kMessageCaption), nullptr) << "the box's caption";
    }
    EXPECT_EQ(program.answer_message_box(), c.message);
    EXPECT_EQ(program.enabled(IDC_CONNECT_SET), c.connected);

    // The window stays usable: nothing left open over it, and the controls
    // that lead back to the printer work.
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(program.main()));
    for (int id : {IDC_PORT, IDC_SPEED, IDC_CONNECT_GET})
        EXPECT_TRUE(program.enabled(id)) << "control " << id;

    // Nothing saved, and the printer holds nothing new.
    EXPECT_EQ(stored_settings(), settings_before);
    const std::vector<JournalEntry> journal = during.entries();
    for (const JournalEntry& e : journal)
        for (const char* storing : kStoringLines)
            EXPECT_NE(e.name, storing) << e.line;
    const std::string wire = connection_bytes(journal);
    EXPECT_EQ(wire.substr(0, std::strlen(c.wire)), c.wire);
    EXPECT_EQ(from_hex(wire).size(), c.wire_bytes);

    if (c.connected) {
        // Garbage differs from the true reply in every byte; the decoding is the core's.
        EXPECT_NE(program.text(IDC_PRINTER_NAME), kPrinterName);
    } else if (c.action == Action::connect_and_get) {
        for (int id : {IDC_PRINTER_NAME, IDC_STATUS, IDC_VOLTAGE, IDC_TEMPERATURE})
            EXPECT_EQ(program.text(id), "") << "control " << id;
    }

    // The user puts things right; the next action works.
    hold.release();
    ASSERT_TRUE(com5_.set_faults(""));
    ASSERT_TRUE(com5_.wait_for_link(kExchangeMs));
    if (c.port != 5) {
        ASSERT_TRUE(program.select(IDC_PORT, "COM5"));
    }
    if (c.speed != 9600) {
        ASSERT_TRUE(program.select(IDC_SPEED, "9600 bps")); // the printer's speed
    }
    ASSERT_TRUE(connect_and_get(program, com5_));
    EXPECT_EQ(program.answer_message_box(), "");
    EXPECT_EQ(program.text(IDC_PRINTER_NAME), kPrinterName);
    EXPECT_EQ(program.text(IDC_STATUS), "Printer is on-line.");
    EXPECT_EQ(program.text(IDC_VOLTAGE), "7.4 V");
    EXPECT_EQ(program.text(IDC_TEMPERATURE), "25\xB0 C");
    EXPECT_EQ(program.close_and_wait(), 1u) << "Cancel ends the program cleanly";
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& row) { return row.param.name; });

} // namespace
} // namespace tq350::e2e
