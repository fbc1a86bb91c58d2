#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/settings_rules.h"
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
        set_string_value(ports, "a", "COM\0"s);
        set_string_value(ports, "b", "COMX\0"s);
        set_string_value(ports, "c", "COM0\0"s);
        set_string_value(ports, "d", "com5\0"s);
        set_string_value(ports, "e", " COM3\0"s);
        set_string_value(ports, "f", "COM12\0"s);
        set_string_value(ports, "g", "COM4\0"s, REG_BINARY);
        set_dword_value(ports, "h", 6);
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
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_FALSE(SelectComboItemByData(combo, 5));
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

TEST_F(MainDialogTest, Switch8ComesFromTheStoredValue) {
    open_dialog();
    HWND switches = item(IDC_SWITCHES);
    HKEY key = settings_key();
    for (bool checked : {true, false}) {
        SCOPED_TRACE(checked);
        SetListItemChecked(switches, 7, !checked);
        set_dword_value(key, "Switch8", checked ? 1 : 0);
        LoadSwitch8(key, dialog_);
        EXPECT_EQ(IsListItemChecked(switches, 7), checked);
    }
    SetListItemChecked(switches, 7, true);
    LoadSwitch8(nullptr, dialog_);
    EXPECT_TRUE(IsListItemChecked(switches, 7)) << "no key";
    RegCloseKey(key);
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

// Every value the program reads from its key, stored as it should be: none
// of them its default.
struct StoredValue {
    const char* name;
    DWORD type;
    std::string data;
};

std::string dword_bytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

const StoredValue kUsableValues[] = {
    {"COM Port", REG_DWORD, dword_bytes(3)},      {"COM Speed", REG_DWORD, dword_bytes(19200)},
    {"Density", REG_DWORD, dword_bytes(80)},      {"Auto Off", REG_DWORD, dword_bytes(25)},
    {"Label", REG_DWORD, dword_bytes(1)},         {"IrDA max", REG_DWORD, dword_bytes(0)},
    {"IrDA protocol", REG_DWORD, dword_bytes(0)}, {"Switch8", REG_DWORD, dword_bytes(1)},
    {"Address", REG_BINARY, "x00A0B1C2D3E4"},
};

class StoredValuesTest : public MainDialogTest {
  protected:
    void store(const std::vector<StoredValue>& values) {
        RegDeleteTreeA(HKEY_CURRENT_USER, (scratch_.path() + "\\Settings").c_str());
        HKEY key = settings_key();
        for (const StoredValue& value : values)
            set_string_value(key, value.name, value.data, value.type);
        RegCloseKey(key);
    }

    // What the key holds now, in the order of kUsableValues; an absent value
    // is left out.
    std::vector<StoredValue> stored() {
        std::vector<StoredValue> values;
        HKEY key = settings_key();
        for (const StoredValue& known : kUsableValues) {
            DWORD type = 0;
            DWORD size = 0;
            if (RegQueryValueExA(key, known.name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                continue;
            std::string data(size, '\0');
            RegQueryValueExA(key, known.name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size);
            values.push_back({known.name, type, data});
        }
        RegCloseKey(key);
        return values;
    }

    // What the program makes of each value: the controls the main dialog
    // loads, switch 8 once the switch list is refreshed, and the record the
    // Bluetooth command starts from.
    std::vector<std::string> shown() {
        const auto radios = [this](int first, const char* first_text, const char* second_text) {
            if (checked(first) == checked(first + 1))
                return "both radio buttons alike";
            return checked(first) ? first_text : second_text;
        };
        SetListItemChecked(item(IDC_SWITCHES), 7, false);
        HKEY key = settings_key();
        LoadSwitch8(key, dialog_);
        const std::string address = LoadAddressRecord(key);
        RegCloseKey(key);
        return {combo_text(IDC_PORT),
                combo_text(IDC_SPEED),
                combo_text(IDC_DENSITY),
                std::to_string(auto_off_minutes()) + " minutes",
                checked(IDC_BLACK_MARK) ? "black mark" : "no black mark",
                radios(IDC_IRDA_MAX_115200, "max 115200", "max 57600"),
                radios(IDC_IRDA_RELIABLE, "reliable", "raw"),
                IsListItemChecked(item(IDC_SWITCHES), 7) ? "switch 8 on" : "switch 8 off",
                address};
    }
};

bool operator==(const StoredValue& a, const StoredValue& b) {
    return std::string(a.name) == b.name && a.type == b.type && a.data == b.data;
}

std::ostream& operator<<(std::ostream& out, const StoredValue& value) {
    return out << value.name << " (type " << value.type << ", " << value.data.size() << " bytes)";
}

// One value at a time stored in a form the program cannot use: of the wrong
// type, the wrong size, huge, or absent. The program shows its default for
// that value and the stored ones for all the others, and loading writes
// nothing back.
TEST_F(StoredValuesTest, AnUnusableValueGivesItsDefaultAndLeavesTheOthers) {
    const std::vector<std::string> all_stored = {"COM3",       "19200 bps",   "80 %",
                                                 "25 minutes", "black mark",  "max 57600",
                                                 "raw",        "switch 8 on", "x00A0B1C2D3E4"};
    const std::vector<std::string> defaults = {"COM1",       "9600 bps",      "100 %",
                                               "10 minutes", "no black mark", "max 115200",
                                               "reliable",   "switch 8 off",  "X000000000000"};
    struct Unusable {
        const char* label;
        DWORD type;
        std::string data;
        bool absent = false;
    };
    const std::string megabyte(1 << 20, '\x07');
    const std::vector<Unusable> number_forms = {
        {"absent", REG_NONE, "", true},
        {"a string", REG_SZ, std::string("19200") + '\0'},
        {"binary of four bytes", REG_BINARY, dword_bytes(1)},
        {"a number of two bytes", REG_DWORD, dword_bytes(1).substr(0, 2)},
        {"a number of 1 MB", REG_DWORD, megabyte},
    };
    const std::vector<Unusable> record_forms = {
        {"absent", REG_NONE, "", true},
        {"a string", REG_SZ, std::string("x00A0B1C2D3E4") + '\0'},
        {"binary of 12 bytes", REG_BINARY, "x00A0B1C2D3E"},
        {"binary of 14 bytes", REG_BINARY, "x00A0B1C2D3E45"},
        {"binary of 1 MB", REG_BINARY, megabyte},
    };
    for (std::size_t row = 0; row < std::size(kUsableValues); ++row) {
        const std::string name = kUsableValues[row].name;
        for (const Unusable& form : name == "Address" ? record_forms : number_forms) {
            SCOPED_TRACE(name + " as " + form.label);
            std::vector<StoredValue> values(std::begin(kUsableValues), std::end(kUsableValues));
            if (form.absent)
                values.erase(values.begin() + static_cast<std::ptrdiff_t>(row));
            else
                values[row] = {kUsableValues[row].name, form.type, form.data};
            store(values);
            open_dialog();
            std::vector<std::string> expected = all_stored;
            expected[row] = defaults[row];
            EXPECT_EQ(shown(), expected);
            DestroyWindow(dialog_);
            dialog_ = nullptr;
            EXPECT_EQ(stored(), values);
        }
    }
}

TEST_F(StoredValuesTest, AKeyThatRefusesWritesKeepsEveryStoredValue) {
    const std::vector<StoredValue> values(std::begin(kUsableValues), std::end(kUsableValues));
    store(values);
    open_dialog();
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0);
    SetListItemChecked(item(IDC_SWITCHES), 7, false);
    HKEY key = settings_key();
    HKEY read_only = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &read_only), ERROR_SUCCESS);
    EXPECT_FALSE(SaveSettings(read_only, dialog_));
    EXPECT_FALSE(SaveAddressRecord(read_only, "X0000000000FF"));
    RegCloseKey(read_only);
    RegCloseKey(key);
    EXPECT_EQ(stored(), values);
}

} // namespace
} // namespace tq350::test
