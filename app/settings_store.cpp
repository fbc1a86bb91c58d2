#include "app/settings_store.h"

#include <commctrl.h>

#include <array>
#include <optional>

#include "app/selection_lists.h"
#include "app/serial_ports.h"
#include "app/settings_rules.h"
#include "res/resource.h"
#include "win32/handles.h"

namespace tq350 {

RegistryLocation g_settings_location{HKEY_LOCAL_MACHINE, kSettingsSubkey};
RegistryLocation g_serial_port_location{HKEY_LOCAL_MACHINE, kSerialPortSubkey};

namespace {

std::optional<uint32_t> query_dword(HKEY key, const char* name) {
    std::array<uint8_t, sizeof(uint32_t)> buffer{};
    DWORD type = 0;
    DWORD size = buffer.size();
    if (RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return dword_setting(type, std::span(buffer.data(), size));
}

bool write_dword(HKEY key, const char* name, uint32_t value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool apply_setting(HWND dialog, const SettingRow& row, uint32_t value) {
    switch (row.kind) {
    case SettingKind::ComboItemData:
        return SelectComboItemByData(GetDlgItem(dialog, row.control_id),
                                     static_cast<int32_t>(value));
    case SettingKind::ButtonPair:
        CheckRadioPair(dialog, row.control_id, value ? row.control_id : row.control_id + 1);
        return true;
    case SettingKind::UpDownPosition:
        return SendDlgItemMessageA(dialog, row.control_id, UDM_SETPOS, 0, value) != 0;
    }
    return false;
}

uint32_t read_setting(HWND dialog, const SettingRow& row) {
    HWND control = GetDlgItem(dialog, row.control_id);
    switch (row.kind) {
    case SettingKind::ComboItemData: {
        // With no selection this stores CB_ERR, which no item carries at the next load.
        LRESULT index = SendMessageA(control, CB_GETCURSEL, 0, 0);
        return static_cast<uint32_t>(SendMessageA(control, CB_GETITEMDATA, index, 0));
    }
    case SettingKind::ButtonPair:
        return static_cast<uint32_t>(SendMessageA(control, BM_GETCHECK, 0, 0));
    case SettingKind::UpDownPosition:
        return static_cast<uint32_t>(SendMessageA(control, UDM_GETPOS, 0, 0));
    }
    return 0;
}

template <size_t N> bool fill_list(HWND combo, const std::array<ListItem, N>& items) {
    for (const ListItem& item : items) {
        LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
        if (index >= 0)
            SendMessageA(combo, CB_SETITEMDATA, index, item.data);
    }
    return SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0;
}

constexpr int kSwitch8Item = 7;

// Every item added to a combo box repaints its list, a round trip to the window server
// each; paused, the box is repainted once at the end.
class RedrawPaused {
public:
    explicit RedrawPaused(HWND window) : window_(window) {
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawPaused() {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawPaused(const RedrawPaused&) = delete;
    RedrawPaused& operator=(const RedrawPaused&) = delete;

private:
    HWND window_;
};

} // namespace

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(g_settings_location.root, g_settings_location.subkey, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool LoadSettings(HKEY key, HWND dialog) {
    return load_setting_rows(
        [key](const SettingRow& row) { return query_dword(key, row.value_name); },
        [dialog](const SettingRow& row, uint32_t value) {
            return apply_setting(dialog, row, value);
        });
}

bool SaveSettings(HKEY key, HWND dialog) {
    bool saved = save_setting_rows(
        [dialog](const SettingRow& row) { return read_setting(dialog, row); },
        [key](const char* name, uint32_t value) { return write_dword(key, name, value); });
    if (!saved)
        return false;
    HWND switches = GetDlgItem(dialog, IDC_SWITCHES);
    return write_dword(key, kSwitch8Value, IsListItemChecked(switches, kSwitch8Item) ? 1 : 0);
}

void LoadSwitch8(HKEY key, HWND dialog) {
    if (!key)
        return;
    if (std::optional<uint32_t> value = query_dword(key, kSwitch8Value))
        SetListItemChecked(GetDlgItem(dialog, IDC_SWITCHES), kSwitch8Item, *value != 0);
}

std::string LoadAddressRecord(HKEY key) {
    if (!key)
        return kDefaultAddressRecord;
    std::array<uint8_t, kAddressRecordSize> buffer{};
    DWORD type = 0;
    DWORD size = buffer.size();
    if (RegQueryValueExA(key, kAddressValue, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS)
        return kDefaultAddressRecord;
    return address_setting(type, std::span(buffer.data(), size));
}

bool SaveAddressRecord(HKEY key, const std::string& record) {
    if (!key || record.size() != kAddressRecordSize)
        return false;
    return RegSetValueExA(key, kAddressValue, 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(record.data()),
                          kAddressRecordSize) == ERROR_SUCCESS;
}

bool FillPortList(HWND combo) {
    RedrawPaused paused(combo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const PortEntry& port :
         ListSerialPorts(g_serial_port_location.root, g_serial_port_location.subkey)) {
        LRESULT item =
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port.name.c_str()));
        if (item >= 0)
            SendMessageA(combo, CB_SETITEMDATA, item, port.number);
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    return SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0;
}

bool FillSpeedList(HWND combo) {
    RedrawPaused paused(combo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    char port[10] = {};
    if (GetDlgItemTextA(GetParent(combo), IDC_PORT, port, sizeof port) == 0)
        return false;
    bool filled = fill_list(combo, kSpeedItems);
    if (!SelectComboItemByData(combo, kDefaultSpeed))
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    return filled;
}

bool FillDensityList(HWND combo) {
    RedrawPaused paused(combo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    bool filled = fill_list(combo, kDensityItems);
    if (!SelectComboItemByData(combo, kDefaultDensity))
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    return filled;
}

bool SelectComboItemByData(HWND combo, int32_t value) {
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = count - 1; index >= 0; --index) {
        if (static_cast<int32_t>(SendMessageA(combo, CB_GETITEMDATA, index, 0)) == value)
            return SendMessageA(combo, CB_SETCURSEL, index, 0) >= 0;
    }
    return false;
}

bool IsListItemChecked(HWND list, int item) {
    UINT state = ListView_GetItemState(list, item, LVIS_STATEIMAGEMASK);
    return (state >> 12) == 2;
}

void SetListItemChecked(HWND list, int item, bool checked) {
    ListView_SetItemState(list, item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void CheckRadioPair(HWND dialog, int first, int checked) {
    for (int id : {first, first + 1})
        CheckDlgButton(dialog, id, id == checked ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace tq350
