// The real program under Wine against the virtual TQ-350 on a pty mapped as a COM port.
// Each exchange costs the printer's 2.5 s wake-up and 0.3 s close by design.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "link/tests/e2e_support.h"

namespace tq350::e2e {
namespace {

constexpr DWORD kExchangeMs = 30000;
// A printer that does not answer runs into the read time-out: 10 s + 100 ms a byte.
constexpr DWORD kTimedOutExchangeMs = 60000;

const std::string kDefaultParameters =
    "1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 07 00 1D 29 08 00 "
    "1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B";

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        delete_settings();
        store_setting("COM Port", 5);
        // Whatever an earlier test left behind (speed, switches), start from power-on.
        ASSERT_TRUE(com5_.set_faults("power_cycle"));
        ASSERT_TRUE(VirtualPrinter("com12").set_faults("power_cycle"));
    }
    void TearDown() override {
        com5_.set_faults("");
        delete_settings();
    }

    // Clicks "Connect & Get" and waits for the connection to end.
    void connect_and_get(Program& program, VirtualPrinter& printer, DWORD timeout) {
        const int closed = printer.closed_connections();
        program.click(IDC_CONNECT_GET);
        ASSERT_TRUE(printer.wait_for(
            [&](const std::vector<JournalEntry>&) { return printer.closed_connections() > closed; },
            timeout));
        program.wait_until([&] { return program.enabled(IDC_CONNECT_SET); }, timeout);
    }

    VirtualPrinter com5_{"com5"};
};

TEST_F(EndToEnd, ConnectAndGetShowsThePrintersValues) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs);
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
    EXPECT_EQ(program.text(IDC_PRINTER_NAME), "TQ-350 Mobile Printer 00210");
    EXPECT_EQ(program.text(IDC_STATUS), "Printer is on-line.");
    EXPECT_EQ(program.text(IDC_VOLTAGE), "7.4 V");
    EXPECT_EQ(program.text(IDC_TEMPERATURE), "25\xB0 C");

    const std::vector<JournalEntry> journal = com5_.entries();
    int conn = 0;
    for (const JournalEntry& e : journal) {
        if (e.name == "greeting") {
            conn = e.conn;
            // The printer is woken by the raised lines and greeted 2.5 s later.
            EXPECT_GE(e.since_open, 2.45) << e.line;
            EXPECT_LT(e.since_open, 3.0) << e.line;
        }
    }
    EXPECT_EQ(connection_bytes(journal, conn), "1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76");
}

TEST_F(EndToEnd, ConnectAndSetDeliversTheParametersSavesAndQueriesAgain) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs);
    ASSERT_TRUE(program.enabled(IDC_CONNECT_SET));

    VirtualPrinter after_get("com5");
    program.click(IDC_CONNECT_SET);
    // The write, then the query that the program clicks for itself.
    ASSERT_TRUE(after_get.wait_for(
        [&](const std::vector<JournalEntry>&) { return after_get.closed_connections() >= 2; },
        2 * kExchangeMs));
    program.sync();
    const std::vector<JournalEntry> journal = after_get.entries();
    int write_conn = 0, query_conn = 0;
    for (const JournalEntry& e : journal) {
        if (e.name == "set_switch" && !write_conn)
            write_conn = e.conn;
        if (e.name == "info_request")
            query_conn = e.conn;
    }
    ASSERT_NE(write_conn, 0);
    EXPECT_EQ(connection_bytes(journal, write_conn), "1B 40 00 " + kDefaultParameters);
    EXPECT_GT(query_conn, write_conn);
    EXPECT_EQ(stored_setting("COM Port"), 5u);
    EXPECT_EQ(stored_setting("Density"), 100u);
    EXPECT_EQ(stored_setting("Switch8"), 0u);
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
    EXPECT_EQ(program.text(IDC_STATUS), "Printer is on-line.");
}

TEST_F(EndToEnd, APortAboveCom9Works) {
    VirtualPrinter com12("com12");
    store_setting("COM Port", 12);
    Program program;
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.text(IDC_PORT), "COM12");
    connect_and_get(program, com12, kExchangeMs);
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_EQ(program.text(IDC_PRINTER_NAME), "TQ-350 Mobile Printer 00210");
}

// The program sends ESC S at the old speed, the printer changes at the end of the
// connection, and the query that follows runs at the new speed.
TEST_F(EndToEnd, SpeedChangeAndTotalReset) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs);
    ASSERT_TRUE(program.enabled(IDC_CONNECT_SET));

    VirtualPrinter journal("com5");
    program.command(IDM_SPEED_19200);
    ASSERT_TRUE(journal.wait_for([&](const auto&) { return journal.closed_connections() >= 2; },
                                 2 * kExchangeMs));
    program.sync();
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_EQ(program.text(IDC_SPEED), "19200 bps");
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
    std::string speed_bytes, query_line;
    for (const JournalEntry& e : journal.entries()) {
        if (e.name == "set_speed")
            speed_bytes = e.hex + " " + e.line;
        if (e.name == "info_request")
            query_line = e.line;
    }
    EXPECT_EQ(speed_bytes.substr(0, 8), "1B 53 34");
    EXPECT_NE(speed_bytes.find("\"bps\":9600"), std::string::npos) << speed_bytes;
    EXPECT_NE(query_line.find("\"bps\":19200"), std::string::npos) << query_line;

    // The printer no longer understands 9600.
    HWND speeds = GetDlgItem(program.main(), IDC_SPEED);
    SendMessageA(speeds, CB_SETCURSEL, 3, 0);
    SendMessageA(program.main(), WM_COMMAND, MAKEWPARAM(IDC_SPEED, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(speeds));
    program.click(IDC_CONNECT_GET);
    ASSERT_TRUE(
        program.wait_until([&] { return program.message_box() != nullptr; }, kTimedOutExchangeMs));
    EXPECT_EQ(program.answer_message_box(), "Can NOT communicate with printer!");

    // Back to 19200, then Total Reset returns both to 9600.
    SendMessageA(speeds, CB_SETCURSEL, 4, 0);
    program.click(IDC_CONNECT_GET);
    program.sync();
    program.sync();
    ASSERT_TRUE(program.enabled(IDC_CONNECT_SET));
    VirtualPrinter reset("com5");
    program.command(IDM_TOTAL_RESET);
    ASSERT_TRUE(reset.wait_for([&](const auto&) { return reset.closed_connections() >= 2; },
                               2 * kExchangeMs));
    program.sync();
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_EQ(program.text(IDC_SPEED), "9600 bps");
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
    int reset_conn = 0;
    for (const JournalEntry& e : reset.entries())
        if (e.name == "total_reset")
            reset_conn = e.conn;
    ASSERT_NE(reset_conn, 0);
    EXPECT_EQ(connection_bytes(reset.entries(), reset_conn),
              "1B 40 00 1B 5F 1B 53 33 1B 3E 00 1B 2B");
}

TEST_F(EndToEnd, LogoPrintModesReachThePrinter) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs);
    VirtualPrinter journal("com5");
    const int commands[] = {IDM_LOGO_NORMAL, IDM_LOGO_DOUBLE_WIDTH, IDM_LOGO_DOUBLE_HEIGHT,
                            IDM_LOGO_DOUBLED};
    for (int id : commands) {
        program.command(id);
        program.sync();
        program.sync();
    }
    ASSERT_TRUE(journal.wait_for([&](const auto&) { return journal.closed_connections() >= 4; },
                                 kExchangeMs));
    std::vector<std::string> prints;
    for (const JournalEntry& e : journal.entries())
        if (e.name == "logo_print")
            prints.push_back(e.hex);
    EXPECT_EQ(prints, (std::vector<std::string>{"1D 2F 00", "1D 2F 01", "1D 2F 02", "1D 2F 03"}));
    EXPECT_EQ(program.message_box(), nullptr);
}

TEST_F(EndToEnd, EveryOtherMenuCommandReachesThePrinter) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs);
    struct Case {
        int id;
        const char* journal_name;
        const char* bytes;
    };
    const Case cases[] = {
        {IDM_SHORT_TEST, "short_test", "1B 54"},
        {IDM_LONG_TEST, "long_test", "1B 2E"},
        {IDM_BEEP, "beep", "07"},
        {IDM_FIND_BLACKMARK, "find_black_mark", "0C"},
        {IDM_DELETE_LOGO, "logo_delete", "1D 2A 00 00 00"},
        {IDM_TURN_OFF, "power_off", "1B 2B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.journal_name);
        VirtualPrinter journal("com5");
        program.command(c.id);
        ASSERT_TRUE(journal.wait_for([&](const auto&) { return journal.closed_connections() >= 1; },
                                     kExchangeMs));
        program.sync();
        EXPECT_EQ(program.message_box(), nullptr);
        std::string bytes;
        int conn = 0;
        for (const JournalEntry& e : journal.entries())
            if (e.name == c.journal_name)
                conn = e.conn;
        ASSERT_NE(conn, 0);
        EXPECT_EQ(connection_bytes(journal.entries(), conn), std::string("1B 40 00 ") + c.bytes);
    }
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
}

TEST_F(EndToEnd, BluetoothAddressIsSentAndStored) {
    Program program;
    ASSERT_TRUE(program.started());
    connect_and_get(program, com5_, kExchangeMs); // the profile's name number is 210
    VirtualPrinter journal("com5");
    program.command(IDM_BLUETOOTH_NUMBER);
    HWND dialog = program.wait_for_popup("Bluetooth address", kExchangeMs);
    ASSERT_NE(dialog, nullptr);
    const char* bytes[] = {"00", "A0", "96", "1C", "2B", "3D"};
    for (int i = 0; i < 6; ++i)
        SetDlgItemTextA(dialog, IDC_BLUETOOTH_BYTE1 + i, bytes[i]);
    SendDlgItemMessageA(dialog, IDC_BLUETOOTH_SHOW_BARCODE, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(journal.wait_for([&](const auto&) { return journal.closed_connections() >= 1; },
                                 kExchangeMs));
    program.sync();
    int conn = 0;
    for (const JournalEntry& e : journal.entries())
        if (e.name == "bluetooth_address")
            conn = e.conn;
    ASSERT_NE(conn, 0);
    // ESC < and "x00A0961C2B3D" as text.
    EXPECT_EQ(connection_bytes(journal.entries(), conn),
              "1B 40 00 1B 3C 78 30 30 41 30 39 36 31 43 32 42 33 44");
    HKEY key = nullptr;
    char stored[32] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvik\\TQ-350 Printer Settings", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    RegQueryValueExA(key, "Address", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
    RegCloseKey(key);
    EXPECT_EQ(std::string(stored, size), "x00A0961C2B3D");
}

} // namespace
} // namespace tq350::e2e
