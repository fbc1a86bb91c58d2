#include "app/parameter_write.h"

#include <commctrl.h>

#include "app/chosen_port.h"
#include "app/main_dialog.h"
#include "app/settings_store.h"
#include "link/exchanges.h"
#include "res/resource.h"
#include "win32/printer_exchange.h"

namespace tq350 {

link::ParameterSettings read_parameter_controls(HWND dialog) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HWND switches = GetDlgItem(dialog, IDC_SWITCHES);
    link::ParameterSettings settings;
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
    bool opened = false;
    bool written = false;
    {
        BlockingExchange exchange;
        if (std::unique_ptr<link::PrinterLine> line = OpenChosenPort(main_dialog)) {
            opened = true;
            const std::vector<uint8_t> sequence =
                link::build_parameter_sequence(read_parameter_controls(main_dialog));
            written = link::write_all(*line, sequence);
        }
    }
    if (!opened)
        ShowCommunicationError(main_dialog);
    return written;
}

void WriteParametersAndRequery(HWND main_dialog) {
    if (!WritePrinterParameters(main_dialog)) {
        SetConnectedState(main_dialog, false);
        return;
    }
    if (g_main_dialog.settings_key)
        SaveSettings(g_main_dialog.settings_key.get(), main_dialog);
    PostMessageA(GetDlgItem(main_dialog, IDC_CONNECT_GET), BM_CLICK, 0, 0);
}

} // namespace tq350
