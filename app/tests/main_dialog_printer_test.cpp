// The main dialog's exchanges with a scripted printer: "Connect && Get", "Connect && Set" and
// the Advanced menu's commands.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "link/tests/fake_serial_io.h"
#include "win32/printer_exchange.h"

namespace tq350::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A block with a name, feature bytes 27/28 and switch byte 31.
Bytes info_block(const std::string& name, uint8_t features1, uint8_t features2, uint8_t switches) {
    Bytes block(32, 0);
    std::memcpy(block.data(), name.data(), std::min<size_t>(name.size(), 27));
    block[27] = features1;
    block[28] = features2;
    block[31] = switches;
    return block;
}

class ConnectAndGetTest : public MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        set_ports({"COM3", "COM12"});
    }

    void answer(const Bytes& block, const Bytes& power = {0x6A, 0x39}, uint8_t status = 0) {
        printer_.replies = {block, power, {status}};
    }

    bool menu_enabled(UINT id) const {
        return !(GetMenuState(GetMenu(dialog_), id, MF_BYCOMMAND) & MF_GRAYED);
    }

    link::test::FakeSerialIo printer_;
    ModalAnswerer answerer_;
};

// A click on "Connect && Set" and a space on "Connect && Get" given while the
// exchange blocks the window are dropped when it ends: one exchange, not three.
TEST_F(ConnectAndGetTest, InputGivenWhileTheExchangeRunsIsDropped) {
    open_dialog();
    SetConnectedState(dialog_, true);
    answer(info_block("TQ-350", 0, 0, 0));
    bool given = false;
    printer_.during_pause = [&](DWORD) {
        if (std::exchange(given, true))
            return;
        PostMessageA(item(IDC_CONNECT_SET), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(item(IDC_CONNECT_SET), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        PostMessageA(item(IDC_CONNECT_GET), WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageA(item(IDC_CONNECT_GET), WM_KEYUP, VK_SPACE, 0xC0390001);
        PostMessageA(dialog_, WM_TIMER, 7, 0);
    };
    command(IDC_CONNECT_GET);
    MSG timer{};
    EXPECT_TRUE(PeekMessageA(&timer, dialog_, WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "timer messages stay";
    pump_messages();
    EXPECT_TRUE(given);
    EXPECT_EQ(printer_.opened.size(), 1u);
    EXPECT_EQ(text(IDC_PRINTER_NAME), "TQ-350");
}

TEST_F(ConnectAndGetTest, ShowsWhatThePrinterReportsAndConnects) {
    open_dialog();
    // Magstripe (27.1), Fahrenheit off, Bluetooth (27.6); black marks (28.2);
    // switches 1, 3 and 7 on.
    SendMessageA(item(IDC_PORT), CB_SETCURSEL, 1, 0); // COM3
    answer(info_block("TQ-350 Printer        00210", 0x42, 0x04, 0x45), {0x6A, 0x39}, 0x48);
    beeps_.clear();
    command(IDC_CONNECT_GET);

    EXPECT_TRUE(answerer_.seen().empty());
    EXPECT_TRUE(beeps_.beeps().empty());
    EXPECT_EQ(text(IDC_PRINTER_NAME), "TQ-350 Printer        00210");
    EXPECT_EQ(text(IDC_STATUS), "Printer head is over heat!");
    EXPECT_EQ(text(IDC_VOLTAGE), "7.4 V");
    EXPECT_EQ(text(IDC_TEMPERATURE), "25\xB0 C");
    EXPECT_TRUE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_BLACK_MARK)));
    EXPECT_TRUE(menu_enabled(IDM_FIND_BLACKMARK));
    EXPECT_TRUE(menu_enabled(IDM_MAGSTRIPE));
    EXPECT_TRUE(menu_enabled(IDM_BLUETOOTH_NUMBER));
    EXPECT_TRUE(checked(IDC_IRDA_RAW)) << "switch 7 selects the raw protocol";

    // Capability items 1, 6 and 9; switches 1, 3 and 7.
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(IsListItemChecked(item(IDC_CAPABILITIES), i), (0x0242 >> i & 1) != 0) << i;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(IsListItemChecked(item(IDC_SWITCHES), i), (0x45 >> i & 1) != 0) << i;

    // One connection: "\\.\" path, greeting, three requests, the pauses.
    EXPECT_EQ(printer_.opened, std::vector<std::string>{"\\\\.\\COM3"});
    EXPECT_EQ(printer_.written(), (Bytes{0x1B, 0x40, 0x00, 0x1B, 0x40, 0x1B, 0x3D, 0x01, 0x1B, 0x5A,
                                         0x1B, 0x60, 0x1B, 0x76}));
    EXPECT_EQ(printer_.sleeps, (std::vector<DWORD>{2500, 2, 300}));
    EXPECT_EQ(printer_.escapes, (std::vector<DWORD>{SETDTR, SETRTS, CLRDTR, CLRRTS}));
    EXPECT_EQ(printer_.purges, std::vector<DWORD>{0x0F});
    EXPECT_EQ(printer_.closes, 1);
    EXPECT_EQ(GetMenuState(GetMenu(dialog_), IDM_SPEED_9600, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
}

TEST_F(ConnectAndGetTest, ConfiguresTheLineAsThePrinterExpects) {
    open_dialog();
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);
    answer(info_block("P", 0, 0, 0));
    command(IDC_CONNECT_GET);
    ASSERT_EQ(printer_.states.size(), 1u);
    const DCB& d = printer_.states[0];
    DWORD flags = 0; // the bit fields: binary, no parity check, XON/XOFF both ways, DTR and RTS
    std::memcpy(&flags, reinterpret_cast<const char*>(&d) + 8, sizeof flags);
    EXPECT_EQ(std::tuple(d.DCBlength, d.BaudRate, flags, d.ByteSize, d.Parity, d.StopBits,
                         d.XonChar, d.XoffChar),
              std::tuple(28ul, 115200ul, 0x1183ul, BYTE{8}, BYTE{NOPARITY}, BYTE{ONESTOPBIT},
                         char{0x11}, char{0x13}));
    ASSERT_EQ(printer_.timeouts.size(), 1u);
    const COMMTIMEOUTS& t = printer_.timeouts[0];
    EXPECT_EQ(std::tuple(t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                         t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                         t.WriteTotalTimeoutConstant),
              std::tuple(150ul, 100ul, 10000ul, 5ul, 1000ul));
    EXPECT_EQ(GetMenuState(GetMenu(dialog_), IDM_SPEED_115200, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
}

TEST_F(ConnectAndGetTest, FeatureRulesFollowTheBlock) {
    struct Case {
        const char* name;
        Bytes block;
        bool black_mark, magstripe, bluetooth, raw;
    };
    const Case cases[] = {
        {"no information: everything off", Bytes(32, 0), false, false, false, false},
        {"name number 204 enables Bluetooth", info_block("TQ-350 Printer        00204", 0, 0, 0),
         false, false, true, false},
    };
    open_dialog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendMessageA(item(IDC_BLACK_MARK), BM_SETCHECK, BST_CHECKED, 0);
        answer(c.block);
        command(IDC_CONNECT_GET);
        EXPECT_EQ(IsWindowEnabled(item(IDC_BLACK_MARK)) != FALSE, c.black_mark);
        EXPECT_EQ(checked(IDC_BLACK_MARK), c.black_mark);
        EXPECT_EQ(menu_enabled(IDM_FIND_BLACKMARK), c.black_mark);
        EXPECT_EQ(menu_enabled(IDM_MAGSTRIPE), c.magstripe);
        EXPECT_EQ(menu_enabled(IDM_BLUETOOTH_NUMBER), c.bluetooth);
        EXPECT_EQ(checked(IDC_IRDA_RAW), c.raw);
        EXPECT_EQ(checked(IDC_IRDA_RELIABLE), !c.raw);
    }
}

TEST_F(ConnectAndGetTest, Switch8ComesFromTheStoredSettings) {
    store_dword("Switch8", 1);
    open_dialog();
    EXPECT_FALSE(IsListItemChecked(item(IDC_SWITCHES), 7)) << "not before a query";
    answer(info_block("P", 0, 0, 0xFF));
    command(IDC_CONNECT_GET);
    EXPECT_TRUE(IsListItemChecked(item(IDC_SWITCHES), 7));
    EXPECT_FALSE(IsListItemChecked(item(IDC_SWITCHES), 5)) << "switch 6 is never read";
}

TEST_F(ConnectAndGetTest, FailuresShowTheMessageAndDisconnect) {
    struct Case {
        const char* name;
        bool refuse_open;
        std::deque<Bytes> replies;
        std::vector<DWORD> sleeps;
    };
    const Case cases[] = {
        {"port cannot be opened", true, {}, {}},
        {"mute printer", false, {}, {2500, 2, 300}},
        {"no status byte", false, {Bytes(32, 0x41), {0x6A, 0x39}}, {2500, 2, 300}},
    };
    open_dialog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        answer(info_block("Before", 0, 0, 0));
        command(IDC_CONNECT_GET);
        ASSERT_TRUE(IsWindowEnabled(item(IDC_CONNECT_SET)));
        printer_.refuse_open = c.refuse_open;
        printer_.replies = c.replies;
        printer_.sleeps.clear();
        const size_t boxes = answerer_.seen().size();
        beeps_.clear();
        command(IDC_CONNECT_GET);
        ASSERT_EQ(answerer_.seen().size(), boxes + 1);
        EXPECT_EQ(answerer_.seen().back().text, "Can NOT communicate with printer!");
        EXPECT_EQ(answerer_.seen().back().caption, "Printer Settings");
        EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
        EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
        EXPECT_EQ(text(IDC_PRINTER_NAME), "");
        EXPECT_EQ(text(IDC_VOLTAGE), "");
        EXPECT_EQ(printer_.sleeps, c.sleeps);
        printer_.refuse_open = false;
    }
}

// "Connect && Set": the same printer, written to.
using ConnectAndSetTest = ConnectAndGetTest;

TEST_F(ConnectAndSetTest, WritesTheDefaultsSavesAndQueriesAgain) {
    open_dialog();
    SetConnectedState(dialog_, true);
    Bytes block(32, 0);
    block[0] = 'P';
    printer_.replies = {block, {0x6A, 0x39}, {0x00}};
    command(IDC_CONNECT_SET);
    ASSERT_EQ(printer_.writes.size(), 2u);
    EXPECT_EQ(printer_.writes[0], (Bytes{0x1B, 0x40, 0x00}));
    EXPECT_EQ(printer_.writes[1].size(), 46u) << "one write; its bytes are the core's table";
    EXPECT_EQ(stored_dword("Density"), 100u) << "saved after the write";
    EXPECT_EQ(printer_.opened.size(), 1u) << "the query is posted, not run inside";

    pump_messages();
    EXPECT_EQ(printer_.opened.size(), 2u) << "Connect & Get clicked afterwards";
    EXPECT_EQ(printer_.writes.size(), 6u);
    EXPECT_TRUE(answerer_.seen().empty());
}

TEST_F(ConnectAndSetTest, SendsWhatTheControlsShow) {
    open_dialog();
    SetConnectedState(dialog_, true);
    HWND switches = item(IDC_SWITCHES);
    SetListItemChecked(switches, 0, true);
    SetListItemChecked(switches, 5, true); // no text: never sent
    SetListItemChecked(switches, 7, true);
    SendMessageA(item(IDC_IRDA_RAW), BM_CLICK, 0, 0); // also checks switch 7
    SendMessageA(item(IDC_IRDA_MAX_57600), BM_CLICK, 0, 0);
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0); // 70 %
    SendMessageA(item(IDC_AUTO_OFF_SPIN), UDM_SETPOS, 0, 60);
    SendMessageA(item(IDC_BLACK_MARK), BM_CLICK, 0, 0);
    command(IDC_CONNECT_SET);
    ASSERT_EQ(printer_.writes.size(), 2u);
    EXPECT_EQ(printer_.writes[1],
              (Bytes{0x1D, 0x29, 0x01, 0x01, 0x1D, 0x29, 0x02, 0x00, 0x1D, 0x29, 0x03, 0x00,
                     0x1D, 0x29, 0x04, 0x00, 0x1D, 0x29, 0x05, 0x00, 0x1D, 0x29, 0x07, 0x01,
                     0x1D, 0x29, 0x08, 0x01, 0x1B, 0x59, 0x00, 0x1B, 0x78, 0x3C, 0x1B, 0x6C,
                     0x01, 0x1D, 0x29, 0x07, 0x01, 0x1B, 0x3E, 0x01, 0x1B, 0x2B}));
    EXPECT_EQ(stored_dword("Switch8"), 1u);
    EXPECT_EQ(stored_dword("IrDA protocol"), 0u);
}

TEST_F(ConnectAndSetTest, AFailedWriteDisconnectsAndSavesNothing) {
    struct Case {
        const char* name;
        bool refuse_open;
        size_t write_limit;
        size_t boxes;
    };
    const Case cases[] = {
        {"port cannot be opened", true, SIZE_MAX, 1},
        {"parameters cut short", false, 45, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open_dialog();
        SetConnectedState(dialog_, true);
        printer_.refuse_open = c.refuse_open;
        printer_.write_limit = c.write_limit;
        printer_.opened.clear();
        const size_t boxes = answerer_.seen().size();
        beeps_.clear();
        command(IDC_CONNECT_SET);
        pump_messages();
        EXPECT_EQ(answerer_.seen().size(), boxes + c.boxes);
        EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
        EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
        EXPECT_EQ(stored_dword("Density"), std::nullopt);
        EXPECT_EQ(printer_.opened.size(), 1u) << "no query follows";
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

// The Advanced menu, with the dialog connected.
class PrinterCommandTest : public ConnectAndGetTest {
  protected:
    void SetUp() override {
        ConnectAndGetTest::SetUp();
        open_dialog();
        SetConnectedState(dialog_, true);
        beeps_.clear();
    }
    // What the command wrote after the greeting.
    Bytes sent() const {
        Bytes all = printer_.written();
        return all.size() >= 3 ? Bytes(all.begin() + 3, all.end()) : Bytes{};
    }
};

TEST_F(PrinterCommandTest, MenuCommandsSendTheirBytes) {
    struct Case {
        int id;
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {IDM_SHORT_TEST, "short test", {0x1B, 0x54}},
        {IDM_LONG_TEST, "long test", {0x1B, 0x2E}},
        {IDM_DELETE_LOGO, "delete logo", {0x1D, 0x2A, 0x00, 0x00, 0x00}},
        {IDM_BEEP, "beep", {0x07}},
        {IDM_FIND_BLACKMARK, "find black mark", {0x0C}},
        {IDM_TURN_OFF, "turn off", {0x1B, 0x2B}},
        {IDM_LOGO_NORMAL, "logo normal", {0x1D, 0x2F, 0x00, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLE_WIDTH, "logo double width", {0x1D, 0x2F, 0x01, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLE_HEIGHT, "logo double height", {0x1D, 0x2F, 0x02, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLED, "logo doubled", {0x1D, 0x2F, 0x03, 0x1B, 0x4A, 0x50}},
        {IDM_SPEED_1200, "1200 bps", {0x1B, 0x53, 0x30}},
        {IDM_SPEED_115200, "115200 bps", {0x1B, 0x53, 0x36}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer_.writes.clear();
        command(c.id, 0);
        pump_messages(); // a follow-up query may be posted; the fake printer stays mute
        printer_.writes.resize(std::min<size_t>(printer_.writes.size(), 2));
        EXPECT_EQ(sent(), c.bytes);
    }
}

TEST_F(PrinterCommandTest, SpeedChangeSelectsTheNewSpeedAndQueriesAtIt) {
    Bytes block(32, 0);
    block[0] = 'P';
    printer_.replies = {block, {0x6A, 0x39}, {0x00}};
    command(IDM_SPEED_19200, 0);
    EXPECT_EQ(text(IDC_SPEED), "19200 bps");
    ASSERT_EQ(printer_.states.size(), 1u);
    EXPECT_EQ(printer_.states[0].BaudRate, 9600u) << "sent at the old speed";
    pump_messages();
    ASSERT_EQ(printer_.states.size(), 2u) << "Connect & Get follows";
    EXPECT_EQ(printer_.states[1].BaudRate, 19200u);
    EXPECT_EQ(GetMenuState(GetMenu(dialog_), IDM_SPEED_19200, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(answerer_.seen().empty());
}

TEST_F(PrinterCommandTest, TotalResetWithMax57600GoesBackTo9600) {
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);
    SendMessageA(item(IDC_IRDA_MAX_57600), BM_CLICK, 0, 0);
    command(IDM_TOTAL_RESET, 0);
    EXPECT_EQ(sent(), (Bytes{0x1B, 0x5F, 0x1B, 0x53, 0x33, 0x1B, 0x3E, 0x01, 0x1B, 0x2B}));
    EXPECT_EQ(text(IDC_SPEED), "9600 bps");
}

TEST_F(PrinterCommandTest, AFailedCommandShowsTheMessageAndDisconnects) {
    printer_.refuse_open = true;
    command(IDM_BEEP, 0);
    ASSERT_EQ(answerer_.seen().size(), 1u);
    EXPECT_EQ(answerer_.seen()[0].text, "Can NOT communicate with printer!");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});

    SetConnectedState(dialog_, true);
    printer_.refuse_open = false;
    printer_.write_limit = 0;
    command(IDM_SPEED_19200, 0);
    EXPECT_EQ(text(IDC_SPEED), "9600 bps") << "no speed change after a failed send";
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
}

// The chunk plan and pacing are the core's; this is the serial port under them:
// wake, greeting pause, a pause per chunk, the close pause.
TEST_F(PrinterCommandTest, SendPacesItsChunksOverTheSerialPort) {
    Bytes data(2049, 0x55);
    EXPECT_TRUE(SendCommandSequence(dialog_, chosen_port_, data.data(), data.size()));
    ASSERT_EQ(printer_.writes.size(), 3u);
    EXPECT_EQ(printer_.writes[2].size(), 1u);
    EXPECT_EQ(printer_.sleeps, (std::vector<DWORD>{2500, 2, 2048, 1, 300}));
}

// A lost chunk in the middle of a download is a failed download, however the
// last chunk went; each lost chunk beeps and the rest is still sent.
TEST_F(PrinterCommandTest, AnyLostChunkFailsTheSend) {
    Bytes data(12128, 0x55);
    printer_.write_limit = 2047; // every full chunk is cut short; the last one fits
    EXPECT_FALSE(SendCommandSequence(dialog_, chosen_port_, data.data(), data.size()));
    EXPECT_EQ(printer_.writes.size(), 1u + 6u) << "all six chunks were tried";
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>(5, MB_ICONASTERISK));
    EXPECT_TRUE(answerer_.seen().empty());
}

} // namespace
} // namespace tq350::test
