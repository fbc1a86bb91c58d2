#include "tools/bluetooth_dialog.h"

#include <array>

#include "res/resource.h"
#include "tools/bluetooth_address_core.h"

namespace tq350::tools {

namespace {

constexpr std::array<int, address_field_count> kFields{
    IDC_BLUETOOTH_BYTE1, IDC_BLUETOOTH_BYTE2, IDC_BLUETOOTH_BYTE3,
    IDC_BLUETOOTH_BYTE4, IDC_BLUETOOTH_BYTE5, IDC_BLUETOOTH_BYTE6,
};

struct BluetoothDialogState {
    std::string* record = nullptr;
    bool updating = false; // our own SetWindowText must not be taken for typing
};
BluetoothDialogState g_state;

bool is_field(int id) {
    return id >= IDC_BLUETOOTH_BYTE1 && id <= IDC_BLUETOOTH_BYTE6;
}

std::string field_text(HWND field) {
    char text[5] = {}; // the typing rules look at four characters at most
    GetWindowTextA(field, text, sizeof text);
    return text;
}

void set_field_text(HWND field, const std::string& text) {
    g_state.updating = true;
    SetWindowTextA(field, text.c_str());
    g_state.updating = false;
}

AddressFields read_controls(HWND dialog) {
    AddressFields fields;
    for (size_t i = 0; i < kFields.size(); ++i)
        fields.digits[i] = field_text(GetDlgItem(dialog, kFields[i]));
    fields.shown_as_barcode = IsDlgButtonChecked(dialog, IDC_BLUETOOTH_SHOW_BARCODE) == BST_CHECKED;
    return fields;
}

void show_model(HWND dialog, const AddressFields& fields) {
    for (size_t i = 0; i < kFields.size(); ++i) {
        HWND field = GetDlgItem(dialog, kFields[i]);
        SendMessageA(field, EM_LIMITTEXT, address_field_digits, 0);
        set_field_text(field, fields.digits[i]);
    }
    CheckDlgButton(dialog, IDC_BLUETOOTH_SHOW_BARCODE,
                   fields.shown_as_barcode ? BST_CHECKED : BST_UNCHECKED);
}

void on_field_update(HWND dialog, HWND field) {
    if (g_state.updating)
        return;
    DWORD caret = 0;
    SendMessageA(field, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const FieldUpdate update = update_address_field(field_text(field), caret);
    if (update.corrected) {
        set_field_text(field, update.text);
        SendMessageA(field, EM_SETSEL, update.caret, update.caret);
        return;
    }
    if (update.advance) {
        HWND next = GetNextDlgTabItem(dialog, field, FALSE);
        SetFocus(next);
        // Selected, so that the next two digits typed replace its text.
        PostMessageA(next, EM_SETSEL, 0, -1);
    }
}

void on_field_left(HWND field) {
    const std::string text = field_text(field);
    const std::string completed = complete_address_field(text);
    if (completed != text)
        set_field_text(field, completed);
}

void on_ok(HWND dialog) {
    const AddressRecord record = confirm_address_record(*g_state.record, read_controls(dialog));
    g_state.record->assign(record.begin(), record.end());
    EndDialog(dialog, IDOK);
}

} // namespace

INT_PTR CALLBACK BluetoothAddressDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        g_state.record = reinterpret_cast<std::string*>(lparam);
        show_model(dialog, show_address_record(*g_state.record));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (is_field(id) && code == EN_UPDATE)
            on_field_update(dialog, reinterpret_cast<HWND>(lparam));
        else if (is_field(id) && code == EN_KILLFOCUS)
            on_field_left(reinterpret_cast<HWND>(lparam));
        else if (id == IDOK && code == BN_CLICKED)
            on_ok(dialog);
        else if (id == IDCANCEL && code == BN_CLICKED)
            EndDialog(dialog, IDCANCEL);
        else
            return FALSE;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

bool RunBluetoothAddressDialog(HWND owner, std::string& record) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BLUETOOTH), owner,
                        BluetoothAddressDialogProc, reinterpret_cast<LPARAM>(&record));
    g_state = {};
    return result == IDOK;
}

} // namespace tq350::tools
