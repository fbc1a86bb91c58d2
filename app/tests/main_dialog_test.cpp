#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/tests/main_dialog_fixture.h"

namespace tq350::test {
namespace {

UINT menu_state(HWND dialog, UINT position) {
    return GetMenuState(GetMenu(dialog), position, MF_BYPOSITION);
}

// Every control with an identifier: those usable without a printer, and those that need one.
const int kWithoutPrinter[] = {IDC_PORT, IDC_SPEED, IDC_CONNECT_GET, IDC_AUTO_OFF_EDIT, IDCANCEL};
const int kWithPrinter[] = {
    IDC_CONNECT_SET,     IDC_PRINTER_NAME,   IDC_STATUS,        IDC_VOLTAGE,       IDC_TEMPERATURE,
    IDC_CAPABILITIES,    IDC_SWITCHES,       IDC_DENSITY,       IDC_AUTO_OFF_SPIN, IDC_BLACK_MARK,
    IDC_IRDA_MAX_115200, IDC_IRDA_MAX_57600, IDC_IRDA_RELIABLE, IDC_IRDA_RAW,      IDOK};

TEST_F(MainDialogTest, StartsDisconnectedWithTheDefaultsAndOneWarningBeep) {
    open_dialog();
    for (int id : kWithoutPrinter)
        EXPECT_TRUE(IsWindowEnabled(item(id))) << "control " << id;
    for (int id : kWithPrinter)
        EXPECT_FALSE(IsWindowEnabled(item(id))) << "control " << id;
    EXPECT_TRUE(menu_state(dialog_, 0) & MF_GRAYED) << "Advanced menu";
    EXPECT_FALSE(menu_state(dialog_, 1) & MF_GRAYED) << "About";
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});

    EXPECT_EQ(text(IDC_PORT), "COM1");
    EXPECT_EQ(text(IDC_SPEED), "9600 bps");
    EXPECT_EQ(text(IDC_DENSITY), "100 %");
    EXPECT_EQ(auto_off_minutes(), 10);
    EXPECT_FALSE(checked(IDC_BLACK_MARK));
    EXPECT_TRUE(checked(IDC_IRDA_MAX_115200));
    EXPECT_FALSE(checked(IDC_IRDA_MAX_57600));
    EXPECT_TRUE(checked(IDC_IRDA_RELIABLE));
    EXPECT_FALSE(checked(IDC_IRDA_RAW));
}

TEST_F(MainDialogTest, ConnectedStateEnablesEverythingAndBackAgainBeeps) {
    open_dialog();
    beeps_.clear();
    SetConnectedState(dialog_, true);
    for (int id : kWithoutPrinter)
        EXPECT_TRUE(IsWindowEnabled(item(id))) << "control " << id;
    for (int id : kWithPrinter)
        EXPECT_TRUE(IsWindowEnabled(item(id))) << "control " << id;
    EXPECT_FALSE(menu_state(dialog_, 0) & MF_GRAYED);
    EXPECT_TRUE(beeps_.beeps().empty());

    SetConnectedState(dialog_, false);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(MainDialogTest, OkOnAFreshKeyWritesAllSevenValuesAndSwitch8ThenQuits) {
    open_dialog();
    command(IDOK);
    EXPECT_TRUE(pump_messages()) << "WM_QUIT";
    struct Case {
        const char* name;
        DWORD expected;
    };
    const Case cases[] = {{"COM Port", 1},      {"COM Speed", 9600}, {"Density", 100},
                          {"Auto Off", 10},     {"Label", 0},        {"IrDA max", 1},
                          {"IrDA protocol", 1}, {"Switch8", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stored_dword(c.name), c.expected);
    }
}

TEST_F(MainDialogTest, ChangingThePortResetsTheSpeedAndDisconnects) {
    open_dialog();
    SetConnectedState(dialog_, true);
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);
    beeps_.clear();
    SendMessageA(item(IDC_PORT), CB_SETCURSEL, 1, 0);
    command(IDC_PORT, CBN_SELCHANGE);
    EXPECT_EQ(text(IDC_SPEED), "9600 bps");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(MainDialogTest, TheCapabilityListRefusesChangesWhileTheKeyIsOpen) {
    open_dialog();
    SetConnectedState(dialog_, true);
    HWND capabilities = item(IDC_CAPABILITIES);
    SetListItemChecked(capabilities, 3, true);
    ListView_SetItemState(capabilities, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(IsListItemChecked(capabilities, 3));
    EXPECT_FALSE(ListView_GetItemState(capabilities, 2, LVIS_SELECTED));

    // The information display lifts the lock for its own updates.
    g_main_dialog.updating = true;
    SetListItemChecked(capabilities, 3, true);
    g_main_dialog.updating = false;
    EXPECT_TRUE(IsListItemChecked(capabilities, 3));
}

TEST_F(MainDialogTest, WithoutAWritableKeyTheDefaultsStandAndNothingIsLocked) {
    // Below a volatile key a lasting key cannot be created: the open fails as it
    // does for a user without write access to HKEY_LOCAL_MACHINE.
    const std::string parent = scratch_.path() + "\\Volatile";
    HKEY volatile_key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &volatile_key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatile_key);
    const std::string settings = parent + "\\Settings";
    g_settings_location = {HKEY_CURRENT_USER, settings.c_str()};
    open_dialog();
    EXPECT_FALSE(g_main_dialog.settings_key);
    EXPECT_EQ(text(IDC_SPEED), "9600 bps");
    SetConnectedState(dialog_, true);
    SetListItemChecked(item(IDC_CAPABILITIES), 0, true);
    EXPECT_TRUE(IsListItemChecked(item(IDC_CAPABILITIES), 0));
    command(IDOK);
    EXPECT_TRUE(pump_messages());
    HKEY created = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, settings.c_str(), 0, KEY_READ, &created),
              ERROR_SUCCESS);
}

TEST_F(MainDialogTest, EscapeQuitsWithoutSaving) {
    store_dword("Density", 80);
    open_dialog();
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 5, 0);
    // Through the dialog manager, as the program's message loop does it.
    MSG key{item(IDC_PORT), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
    EXPECT_TRUE(IsDialogMessageA(dialog_, &key));
    EXPECT_TRUE(pump_messages()) << "WM_QUIT";
    EXPECT_EQ(stored_dword("Density"), 80u);
    EXPECT_EQ(stored_dword("COM Port"), std::nullopt);
}

TEST_F(MainDialogTest, Switch7AndTheIrdaProtocolRadiosFollowEachOther) {
    open_dialog();
    SetConnectedState(dialog_, true);
    HWND switches = item(IDC_SWITCHES);
    SetListItemChecked(switches, 6, true);
    EXPECT_TRUE(checked(IDC_IRDA_RAW));
    EXPECT_FALSE(checked(IDC_IRDA_RELIABLE));
    SendMessageA(item(IDC_IRDA_RELIABLE), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsListItemChecked(switches, 6));
    SendMessageA(item(IDC_IRDA_RAW), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsListItemChecked(switches, 6));
    SetListItemChecked(switches, 6, false);
    EXPECT_TRUE(checked(IDC_IRDA_RELIABLE));
    // Other switches leave the radios alone.
    SetListItemChecked(switches, 4, true);
    EXPECT_TRUE(checked(IDC_IRDA_RELIABLE));
}

TEST_F(MainDialogTest, AboutFromTheMenuAndTheSystemMenuShowsTheSameBox) {
    open_dialog();
    ModalAnswerer answerer;
    PostMessageA(dialog_, WM_COMMAND, IDM_ABOUT, 0);
    pump_messages();
    PostMessageA(dialog_, WM_SYSCOMMAND, IDM_ABOUT, 0);
    pump_messages();
    ASSERT_EQ(answerer.seen().size(), 2u);
    for (const ModalAnswerer::Seen& box : answerer.seen()) {
        EXPECT_EQ(box.caption, "Printer Settings");
        EXPECT_EQ(box.text.rfind("TQ-350 Configuration utility\rVersion 1.29\r", 0), 0u)
            << box.text;
        EXPECT_EQ(box.owner, dialog_);
    }
    HMENU system_menu = GetSystemMenu(dialog_, FALSE);
    char text[64] = {};
    GetMenuStringA(system_menu, IDM_ABOUT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Abo&ut...");
}

} // namespace
} // namespace tq350::test
