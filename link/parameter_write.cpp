#include "parameter_write.h"

#include <commctrl.h>

#include "../res/resource.h"
#include "main_dialog.h"
#include "serial_connection.h"
#include "settings_store.h"

namespace tq350::link {

ParameterSettings read_parameter_controls(HWND dialog) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HWND switches = GetDlgItem(dialog, IDC_SWITCHES);
    ParameterSettings settings;
    for (size_t i = 0; i < settings.switches.size(); ++i) {
        const int item = static_cast<int>(i);
        settings.switches[i].has_text =
            LoadResString(instance, IDS_SWITCH_FIRST + static_cast<UINT>(i))[0] != '\0';
        // Anything but the unchecked image counts as on.
        settings.switches[i].on =
            (ListView_GetItemState(switches, item, LVIS_STATEIMAGEMASK) >> 12) != 1;
    }
    settings.density_index =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_DENSITY, CB_GETCURSEL, 0, 0));
    settings.auto_off_minutes =
        LOWORD(SendDlgItemMessageA(dialog, IDC_AUTO_OFF_SPIN, UDM_GETPOS, 0, 0));
    settings.black_mark_mode = IsDlgButtonChecked(dialog, IDC_BLACK_MARK) == BST_CHECKED;
    settings.reliable_irda = IsDlgButtonChecked(dialog, IDC_IRDA_RELIABLE) == BST_CHECKED;
    settings.max_115200 = IsDlgButtonChecked(dialog, IDC_IRDA_MAX_115200) == BST_CHECKED;
    return settings;
}

bool WritePrinterParameters(HWND main_dialog) {
    HANDLE port = OpenPrinterPort(main_dialog);
    if (port == INVALID_HANDLE_VALUE) {
        ShowCommunicationError(main_dialog);
        return false;
    }
    const std::vector<uint8_t> sequence =
        build_parameter_sequence(read_parameter_controls(main_dialog));
    const bool written = WriteAll(port, sequence.data(), static_cast<DWORD>(sequence.size()));
    ClosePrinterPort(port);
    return written;
}

void WriteParametersAndRequery(HWND main_dialog) {
    if (!WritePrinterParameters(main_dialog)) {
        SetConnectedState(main_dialog, false);
        return;
    }
    if (HKEY key = MainSettingsKey())
        SaveSettings(key, main_dialog);
    PostMessageA(GetDlgItem(main_dialog, IDC_CONNECT_GET), BM_CLICK, 0, 0);
}

} // namespace tq350::link
