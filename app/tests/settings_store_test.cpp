#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/main_dialog_fixture.h"

namespace tq350::test {
namespace {

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
    EXPECT_STREQ(LoadResString(instance, 27), "8. JIS Symbols Default");
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
