// The three device-tool dialogs from their real templates, driven like a user would,
// with the printer behind a scripted serial line.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "link/tests/fake_serial_io.h"
#include "res/resource.h"
#include "testing/hex.h"
#include "tools/barcode_dialog.h"
#include "tools/bluetooth_dialog.h"
#include "tools/magstripe_dialog.h"

namespace tq350::test {
namespace {

class ToolDialogTest : public MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        open_dialog();
    }
    HWND open_tool(int resource, DLGPROC proc, LPARAM param = 0) {
        tool_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), dialog_,
                                   proc, param);
        EXPECT_NE(tool_, nullptr);
        ShowWindow(tool_, SW_SHOW);
        pump_messages();
        return tool_;
    }
    HWND tool_item(int id) const { return GetDlgItem(tool_, id); }
    std::string tool_text(int id) const {
        char text[300] = {};
        GetDlgItemTextA(tool_, id, text, sizeof text);
        return text;
    }
    void press(int id) {
        SendMessageA(tool_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(tool_item(id)));
    }
    // Types into the focused control as the keyboard would.
    void type(const std::string& keys) {
        for (char key : keys) {
            SendMessageA(GetFocus(), WM_CHAR, static_cast<WPARAM>(key), 1);
            pump_messages();
        }
    }
    // What the tool wrote after the greeting.
    std::string sent() const {
        const std::vector<uint8_t> all = printer_.written();
        return hex(std::span(all).subspan(std::min<std::size_t>(3, all.size())));
    }

    link::test::FakeSerialIo printer_;
    ModalAnswerer answerer_;
    HWND tool_ = nullptr;
};

// Each dialog a menu command opens runs modally over the main dialog and,
// closed by its close box, leaves nothing behind: the fixture checks the
// whole test, each case checks its own dialog.
TEST_F(ToolDialogTest, EveryDialogOfTheMenuClosesWithoutATrace) {
    SetConnectedState(dialog_, true);
    const std::pair<int, const char*> cases[] = {{IDM_BARCODE, "Barcode"},
                                                 {IDM_MAGSTRIPE, "Test Magstripe Reader"},
                                                 {IDM_BLUETOOTH_NUMBER, "Bluetooth address"},
                                                 {IDM_FONT_EDITOR, "Dialog"}};
    for (const auto& [id, title] : cases) {
        SCOPED_TRACE(title);
        const GuiObjectWatch watch;
        std::vector<std::string> opened;
        bool owner_enabled = true;
        answerer_.on_open = [&](HWND window) {
            char title[64] = {};
            GetWindowTextA(window, title, sizeof title);
            opened.push_back(title);
            EXPECT_EQ(GetWindow(window, GW_OWNER), dialog_);
            owner_enabled = IsWindowEnabled(dialog_) != FALSE;
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        };
        command(id, 0); // returns once the dialog has closed
        answerer_.on_open = nullptr;
        EXPECT_EQ(opened, std::vector<std::string>{title});
        EXPECT_FALSE(owner_enabled);
        EXPECT_TRUE(IsWindowEnabled(dialog_));
        watch.expect_none_left();
    }
}

// --- Bluetooth address ---

// The field rules are the core's; one row each proves the fields are wired to them.
TEST_F(ToolDialogTest, BluetoothFieldsShowCorrectAndStoreTheRecord) {
    std::string record = "x0012AB34CD56";
    open_tool(IDD_BLUETOOTH, tools::BluetoothAddressDialogProc, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(tool_text(IDC_BLUETOOTH_BYTE3), "AB");
    EXPECT_EQ(IsDlgButtonChecked(tool_, IDC_BLUETOOTH_SHOW_BARCODE), BST_CHECKED);
    CheckDlgButton(tool_, IDC_BLUETOOTH_SHOW_BARCODE, BST_UNCHECKED);
    HWND first = tool_item(IDC_BLUETOOTH_BYTE1);
    SetFocus(first);
    SetWindowTextA(first, "");
    type("g");
    EXPECT_EQ(tool_text(IDC_BLUETOOTH_BYTE1), "0") << "not a hex digit";
    EXPECT_EQ(GetFocus(), first) << "a correction keeps the focus";
    SendMessageA(first, EM_SETSEL, 0, -1);
    type("a1");
    EXPECT_EQ(GetFocus(), tool_item(IDC_BLUETOOTH_BYTE2)) << "two digits move on";
    SetWindowTextA(tool_item(IDC_BLUETOOTH_BYTE2), "7");
    SetFocus(tool_item(IDC_BLUETOOTH_BYTE3));
    EXPECT_EQ(tool_text(IDC_BLUETOOTH_BYTE2), "07") << "leaving completes the field";
    press(IDOK);
    EXPECT_EQ(record, "XA107AB34CD56");
}

TEST_F(ToolDialogTest, BluetoothCommandSendsAndStoresOnlyWhenConfirmed) {
    SetConnectedState(dialog_, true);
    struct Case {
        const char* name;
        int button;
        bool refuse_open;
        std::string sent;
        const char* stored;
    };
    const Case cases[] = {{"cancelled", IDCANCEL, false, "", nullptr},
                          {"port refused", IDOK, true, "", nullptr},
                          {"sent", IDOK, false, "1B 3C 58 " + run("30", 12), "X000000000000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer_.writes.clear();
        printer_.refuse_open = c.refuse_open;
        answerer_.on_open = [&](HWND window) {
            char title[64] = {};
            GetWindowTextA(window, title, sizeof title);
            const int button = std::string(title) == "Bluetooth address" ? c.button : IDOK;
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        };
        command(IDM_BLUETOOTH_NUMBER, 0);
        answerer_.on_open = nullptr;
        EXPECT_EQ(sent(), c.sent);
        HKEY key = settings_key();
        char stored[32] = {};
        DWORD size = sizeof stored - 1;
        RegGetValueA(key, nullptr, "Address", RRF_RT_ANY, nullptr, stored, &size);
        RegCloseKey(key);
        EXPECT_EQ(std::string(stored), c.stored ? c.stored : "");
    }
}

// --- Barcode ---

TEST_F(ToolDialogTest, BarcodePrintsItsSequenceKeepsTheChoicesAndShowsFailures) {
    SetConnectedState(dialog_, true);
    open_tool(IDD_BARCODE, tools::BarcodeDialogProc, reinterpret_cast<LPARAM>(&chosen_port_));
    press(IDOK);
    EXPECT_TRUE(printer_.opened.empty()) << "no data, nothing printed";

    SetDlgItemTextA(tool_, IDC_BARCODE_DATA, "ABC");
    SendMessageA(tool_item(IDC_BARCODE_TYPE), CB_SETCURSEL, 10, 0); // CODE 128-B
    SendMessageA(tool_item(IDC_BARCODE_TEXT_POSITION), CB_SETCURSEL, 3, 0);
    SendMessageA(tool_item(IDC_BARCODE_TEXT_FONT), CB_SETCURSEL, 1, 0);
    SendMessageA(tool_item(IDC_BARCODE_WIDTH_SPIN), UDM_SETPOS, 0, 4);
    press(IDOK);
    press(IDOK);
    EXPECT_EQ(printer_.opened.size(), 2u) << "one connection a print";
    EXPECT_EQ(hex(printer_.writes[1]), "1D 77 04 1D 68 A2 1D 66 01 1D 48 03 1D 6B 49 05 7B 42 41 "
                                       "42 43 1B 4A 50");
    EXPECT_EQ(printer_.writes[3], printer_.writes[1]) << "the dialog kept the choices";
    EXPECT_TRUE(answerer_.seen().empty());

    // Failures show the message over the dialog and leave the main dialog alone.
    printer_.refuse_open = true;
    press(IDOK);
    printer_.refuse_open = false;
    printer_.write_limit = 5;
    press(IDOK);
    ASSERT_EQ(answerer_.seen().size(), 2u);
    for (const ModalAnswerer::Seen& box : answerer_.seen()) {
        EXPECT_EQ(box.text, "Can NOT communicate with printer!");
        EXPECT_EQ(box.owner, tool_);
    }
    EXPECT_TRUE(IsWindowEnabled(item(IDC_CONNECT_SET)));
}

// --- Magstripe ---

// The track rules are the core's: one read proves the wiring, one empty reply the message.
TEST_F(ToolDialogTest, MagstripeReadsTheChosenTracksOrShowsTheProblem) {
    open_tool(IDD_MAGSTRIPE, tools::MagstripeDialogProc, reinterpret_cast<LPARAM>(&chosen_port_));
    EXPECT_FALSE(IsWindowEnabled(tool_item(IDOK))) << "no track chosen";
    for (int k = 0; k < 3; ++k)
        SendMessageA(tool_item(IDC_MAGSTRIPE_TRACK1 + k), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(tool_item(IDOK)));
    printer_.replies = {{0xF1, 'A', 'B', 'C', 0xF2, '1', '2', '3', 0xF3, 'X', 'Y', 'Z'}};
    press(IDOK);
    EXPECT_EQ(sent(), "1B 3F 0F 00");
    const char* texts[] = {"ABC", "123", "XYZ"};
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(tool_text(IDC_MAGSTRIPE_TEXT1 + k), texts[k]) << "track " << k + 1;
    EXPECT_TRUE(answerer_.seen().empty());

    press(IDOK); // no card swiped
    ASSERT_EQ(answerer_.seen().size(), 1u);
    EXPECT_EQ(answerer_.seen().back().text, "Problem with magstripe reader!");

    for (int k = 0; k < 3; ++k)
        SendMessageA(tool_item(IDC_MAGSTRIPE_TRACK1 + k), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(tool_item(IDOK))) << "every track cleared again";
}

} // namespace
} // namespace tq350::test
