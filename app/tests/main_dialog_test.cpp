#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/main_dialog_fixture.h"

namespace tq350::test {
namespace {

std::string list_item_text(HWND list, int index) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> combo_items(HWND combo) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

UINT menu_state(HWND dialog, UINT position) {
    return GetMenuState(GetMenu(dialog), position, MF_BYPOSITION);
}

struct EnablingCase {
    int id;
    const char* name;
    bool when_disconnected;
};

// Every control with an identifier, and whether it can be used without a printer.
const EnablingCase kEnabling[] = {
    {IDC_PORT, "port", true},
    {IDC_SPEED, "speed", true},
    {IDC_CONNECT_GET, "Connect & Get", true},
    {IDC_CONNECT_SET, "Connect & Set", false},
    {IDC_PRINTER_NAME, "name", false},
    {IDC_STATUS, "status", false},
    {IDC_VOLTAGE, "voltage", false},
    {IDC_TEMPERATURE, "temperature", false},
    {IDC_CAPABILITIES, "capability list", false},
    {IDC_SWITCHES, "switch list", false},
    {IDC_DENSITY, "density", false},
    {IDC_AUTO_OFF_EDIT, "auto-off edit", true},
    {IDC_AUTO_OFF_SPIN, "auto-off up-down", false},
    {IDC_BLACK_MARK, "black mark", false},
    {IDC_IRDA_MAX_115200, "max 115200", false},
    {IDC_IRDA_MAX_57600, "max 57600", false},
    {IDC_IRDA_RELIABLE, "reliable", false},
    {IDC_IRDA_RAW, "raw", false},
    {IDOK, "OK", false},
    {IDCANCEL, "Cancel", true},
};

TEST_F(MainDialogTest, StartsDisconnectedWithTheDefaultsAndOneWarningBeep) {
    open_dialog();
    for (const EnablingCase& c : kEnabling) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsWindowEnabled(item(c.id)) != FALSE, c.when_disconnected);
    }
    EXPECT_TRUE(menu_state(dialog_, 0) & MF_GRAYED) << "Advanced menu";
    EXPECT_FALSE(menu_state(dialog_, 1) & MF_GRAYED) << "About";
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});

    EXPECT_EQ(combo_text(IDC_PORT), "COM1");
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps");
    EXPECT_EQ(combo_text(IDC_DENSITY), "100 %");
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
    for (const EnablingCase& c : kEnabling) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(IsWindowEnabled(item(c.id)));
    }
    EXPECT_FALSE(menu_state(dialog_, 0) & MF_GRAYED);
    EXPECT_TRUE(beeps_.beeps().empty());

    SetConnectedState(dialog_, false);
    for (const EnablingCase& c : kEnabling) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsWindowEnabled(item(c.id)) != FALSE, c.when_disconnected);
    }
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(MainDialogTest, ListsShowTheirItemsInOrder) {
    set_ports({"COM3", "COM10", "COM2"});
    open_dialog();
    // The port list sorts itself, so COM10 comes before COM2.
    EXPECT_EQ(combo_items(item(IDC_PORT)), (std::vector<std::string>{"COM10", "COM2", "COM3"}));
    EXPECT_EQ(combo_text(IDC_PORT), "COM10");
    EXPECT_EQ(SendMessageA(item(IDC_PORT), CB_GETITEMDATA, 0, 0), 10);
    EXPECT_EQ(combo_items(item(IDC_SPEED)),
              (std::vector<std::string>{"1200 bps", "2400 bps", "4800 bps", "9600 bps", "19200 bps",
                                        "57600 bps", "115200 bps"}));
    EXPECT_EQ(combo_items(item(IDC_DENSITY)),
              (std::vector<std::string>{"70 %", "80 %", "90 %", "100 %", "120 %", "150 %"}));

    HWND capabilities = item(IDC_CAPABILITIES);
    ASSERT_EQ(ListView_GetItemCount(capabilities), 13);
    EXPECT_EQ(list_item_text(capabilities, 0), "Support IrDA Connection");
    EXPECT_EQ(list_item_text(capabilities, 5), "Use Farenhait Temperature");
    EXPECT_EQ(list_item_text(capabilities, 12), "Second USB");
    HWND switches = item(IDC_SWITCHES);
    ASSERT_EQ(ListView_GetItemCount(switches), 8);
    EXPECT_EQ(list_item_text(switches, 4), "5. ASB enable (not recommend to turn on)");
    EXPECT_EQ(list_item_text(switches, 5), "6. Not Used...");
    EXPECT_EQ(list_item_text(switches, 7), "8. JIS Symbols Default");
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(IsListItemChecked(capabilities, i)) << "capability " << i;
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(IsListItemChecked(switches, i)) << "switch " << i;
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

TEST_F(MainDialogTest, OkSavesWhatTheUserChanged) {
    open_dialog();
    SetConnectedState(dialog_, true);
    SendMessageA(item(IDC_PORT), CB_SETCURSEL, 1, 0);    // COM3
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);   // 115200
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0); // 70 %
    SendMessageA(item(IDC_AUTO_OFF_SPIN), UDM_SETPOS, 0, 60);
    SendMessageA(item(IDC_BLACK_MARK), BM_CLICK, 0, 0);
    SendMessageA(item(IDC_IRDA_MAX_57600), BM_CLICK, 0, 0);
    SendMessageA(item(IDC_IRDA_RAW), BM_CLICK, 0, 0);
    SetListItemChecked(item(IDC_SWITCHES), 7, true);
    command(IDOK);
    EXPECT_TRUE(pump_messages());
    struct Case {
        const char* name;
        DWORD expected;
    };
    const Case cases[] = {{"COM Port", 3},      {"COM Speed", 115200}, {"Density", 70},
                          {"Auto Off", 60},     {"Label", 1},          {"IrDA max", 0},
                          {"IrDA protocol", 0}, {"Switch8", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(stored_dword(c.name), c.expected);
    }
}

TEST_F(MainDialogTest, AStoredPortThatIsGoneStopsLoading) {
    store_dword("COM Port", 7);
    store_dword("COM Speed", 19200);
    store_dword("Density", 80);
    store_dword("Label", 1);
    open_dialog();
    EXPECT_EQ(combo_text(IDC_PORT), "COM1");
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps");
    EXPECT_EQ(combo_text(IDC_DENSITY), "100 %");
    EXPECT_FALSE(checked(IDC_BLACK_MARK));
}

TEST_F(MainDialogTest, NoSelectionIsStoredAsMinusOneAndStopsTheNextLoadThere) {
    open_dialog();
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0);
    command(IDOK);
    pump_messages();
    EXPECT_EQ(stored_dword("COM Speed"), 0xFFFFFFFFu);
    DestroyWindow(dialog_);
    open_dialog();
    EXPECT_EQ(combo_text(IDC_DENSITY), "100 %") << "rows after the speed keep their defaults";
}

TEST_F(MainDialogTest, ChangingThePortResetsTheSpeedAndDisconnects) {
    open_dialog();
    SetConnectedState(dialog_, true);
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);
    beeps_.clear();
    SendMessageA(item(IDC_PORT), CB_SETCURSEL, 1, 0);
    command(IDC_PORT, CBN_SELCHANGE);
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
}

TEST_F(MainDialogTest, ChangingTheSpeedDisconnects) {
    open_dialog();
    SetConnectedState(dialog_, true);
    beeps_.clear();
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 4, 0);
    command(IDC_SPEED, CBN_SELCHANGE);
    EXPECT_EQ(combo_text(IDC_SPEED), "19200 bps");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_DENSITY)));
    EXPECT_TRUE(menu_state(dialog_, 0) & MF_GRAYED);
    EXPECT_EQ(beeps_.beeps().size(), 1u);
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
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps");
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

TEST_F(MainDialogTest, CloseBoxQuitsWithoutSaving) {
    open_dialog();
    SendMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(pump_messages());
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

TEST_F(MainDialogTest, TheActivationMessageRestoresAndRaisesTheWindow) {
    open_dialog();
    ShowWindow(dialog_, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog_));
    LRESULT result = SendMessageA(dialog_, g_activation_message, 0, 0);
    EXPECT_EQ(result, static_cast<LRESULT>(g_activation_message));
    EXPECT_FALSE(IsIconic(dialog_));
    EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(MainDialogTest, MenuHoldsEveryCommandWithItsText) {
    open_dialog();
    struct Case {
        UINT id;
        const char* text;
    };
    const Case cases[] = {
        {40001, "&Font Editor..."},
        {40002, "&Logo Editor..."},
        {40021, "&Magstripe reader..."},
        {40022, "Print &Barcode..."},
        {40007, "&1200 bps"},
        {40008, "2&400 bps"},
        {40009, "4&800 bps"},
        {40010, "9&600 bps"},
        {40011, "1&9200 bps"},
        {40012, "&57600 bps"},
        {40013, "115&200 bps"},
        {40014, "&Short Test"},
        {40015, "Long &Test"},
        {40018, "&Beep"},
        {40019, "&Find Blackmark"},
        {40025, "&Normal 203x203 DPI"},
        {40026, "Double &Width 101x203 DPI"},
        {40027, "Double &Height 203x101 DPI"},
        {40028, "&Doubled 101x101 DPI"},
        {40016, "Total &Reset"},
        {40017, "Delete &Logo"},
        {40020, "Turn &Off"},
        {40029, "Set &Bluetooth Number"},
        {49152, "Abo&ut..."},
    };
    HMENU menu = GetMenu(dialog_);
    ASSERT_NE(menu, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[64] = {};
        EXPECT_GT(GetMenuStringA(menu, c.id, text, sizeof text, MF_BYCOMMAND), 0);
        EXPECT_STREQ(text, c.text);
    }
}

} // namespace
} // namespace tq350::test
