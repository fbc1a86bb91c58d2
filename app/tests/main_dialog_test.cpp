#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
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
    EXPECT_EQ(LOWORD(SendMessageA(item(IDC_AUTO_OFF_SPIN), UDM_GETPOS, 0, 0)), 10);
    EXPECT_FALSE(checked(IDC_BLACK_MARK));
    EXPECT_TRUE(checked(IDC_IRDA_MAX_115200));
    EXPECT_FALSE(checked(IDC_IRDA_MAX_57600));
    EXPECT_TRUE(checked(IDC_IRDA_RELIABLE));
    EXPECT_FALSE(checked(IDC_IRDA_RAW));
    // Every row is there, with its check box unchecked.
    for (auto [id, rows] : {std::pair{IDC_CAPABILITIES, IDS_CAPABILITY_COUNT},
                            std::pair{IDC_SWITCHES, IDS_SWITCH_COUNT}}) {
        ASSERT_EQ(ListView_GetItemCount(item(id)), rows) << "list " << id;
        for (int row = 0; row < rows; ++row)
            EXPECT_EQ(ListView_GetItemState(item(id), row, LVIS_STATEIMAGEMASK),
                      INDEXTOSTATEIMAGEMASK(1))
                << "list " << id << " row " << row;
    }
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

// The settings and ports in the registry.
struct PortListItem {
    std::string text;
    LRESULT data;
    bool operator==(const PortListItem&) const = default;
};

std::vector<PortListItem> port_items(HWND combo) {
    std::vector<PortListItem> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[1024] = {};
        if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back({text, SendMessageA(combo, CB_GETITEMDATA, i, 0)});
    }
    return items;
}

TEST_F(MainDialogTest, PortListTakesOnlyComEntriesWithANumber) {
    open_dialog();
    {
        HKEY ports = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (scratch_.path() + "\\SERIALCOMM").c_str(), 0,
                                KEY_ALL_ACCESS, &ports),
                  ERROR_SUCCESS);
        RegDeleteValueA(ports, "\\Device\\Serial0");
        RegDeleteValueA(ports, "\\Device\\Serial1");
        using namespace std::string_literals;
        set_string_value(ports, "f", "COM12\0"s);
        // Larger than the enumeration buffer: no port, and the entries after it still count.
        set_string_value(ports, "i", "COM7" + std::string(600, '7') + '\0');
        set_string_value(ports, "j", "COM9"s); // stored without its terminator
        set_string_value(ports, std::string(600, 'n').c_str(), "COM8\0"s); // name too long
        set_string_value(ports, "k", "COM2\0"s);
        RegCloseKey(ports);
    }
    HWND combo = item(IDC_PORT);
    EXPECT_TRUE(FillPortList(combo));
    EXPECT_EQ(port_items(combo),
              (std::vector<PortListItem>{{"COM12", 12}, {"COM2", 2}, {"COM9", 9}}));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(MainDialogTest, WithoutPortsEveryListThatDependsOnThemIsEmpty) {
    set_ports({});
    open_dialog();
    EXPECT_EQ(SendMessageA(item(IDC_PORT), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(item(IDC_SPEED), CB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(FillPortList(item(IDC_PORT)));
    EXPECT_FALSE(FillSpeedList(item(IDC_SPEED)));
    RegDeleteTreeA(HKEY_CURRENT_USER, (scratch_.path() + "\\SERIALCOMM").c_str());
    EXPECT_FALSE(FillPortList(item(IDC_PORT))) << "missing key";
}

TEST_F(MainDialogTest, SelectComboItemByDataTakesTheLastMatchAndLeavesMissesAlone) {
    open_dialog();
    HWND combo = item(IDC_DENSITY);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int data : {5, 7, 5, 9}) {
        LRESULT i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
        SendMessageA(combo, CB_SETITEMDATA, i, data);
    }
    SendMessageA(combo, CB_SETCURSEL, 3, 0);
    EXPECT_FALSE(SelectComboItemByData(combo, 6));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(SelectComboItemByData(combo, 5));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
}

TEST(LoadResString, GivesTheTextOrAnEmptyString) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_STREQ(LoadResString(instance, 30), "%d. Not Used...");
    const char* missing = LoadResString(instance, 25);
    ASSERT_NE(missing, nullptr);
    EXPECT_STREQ(missing, "");
    EXPECT_STREQ(LoadResString(instance, 34), "Printer head is over heat!");
}

TEST_F(MainDialogTest, AddressRecordRoundTrips) {
    HKEY key = settings_key();
    EXPECT_EQ(LoadAddressRecord(key), "X000000000000");
    EXPECT_TRUE(SaveAddressRecord(key, "x00A0B1C2D3E4"));
    EXPECT_EQ(LoadAddressRecord(key), "x00A0B1C2D3E4");
    DWORD type = 0, size = 64;
    char raw[64];
    RegQueryValueExA(key, "Address", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 13u) << "no terminating NUL";
    EXPECT_EQ(LoadAddressRecord(nullptr), "X000000000000");
    RegCloseKey(key);
}

// The forms of an unusable value are the core's table; here one of them, to show
// that the dialog falls back to the default for it alone and writes nothing back.
TEST_F(MainDialogTest, AnUnusableStoredValueGivesItsDefaultAndLeavesTheOthers) {
    store_dword("Density", 80);
    HKEY key = settings_key();
    set_string_value(key, "COM Speed", std::string("19200") + '\0');
    RegCloseKey(key);
    open_dialog();
    EXPECT_EQ(text(IDC_SPEED), "9600 bps");
    EXPECT_EQ(text(IDC_DENSITY), "80 %");
    EXPECT_EQ(stored_dword("COM Speed"), std::nullopt);
}

TEST_F(MainDialogTest, AKeyThatRefusesWritesKeepsTheStoredValues) {
    store_dword("Density", 80);
    open_dialog();
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0);
    HKEY key = settings_key();
    HKEY read_only = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &read_only), ERROR_SUCCESS);
    EXPECT_FALSE(SaveSettings(read_only, dialog_));
    EXPECT_FALSE(SaveAddressRecord(read_only, "X0000000000FF"));
    RegCloseKey(read_only);
    RegCloseKey(key);
    EXPECT_EQ(stored_dword("Density"), 80u);
    EXPECT_EQ(stored_dword("COM Port"), std::nullopt);
}

} // namespace
} // namespace tq350::test
