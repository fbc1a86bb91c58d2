#include "app/printer_info.h"

#include <commctrl.h>

#include "app/chosen_port.h"
#include "app/main_dialog.h"
#include "app/settings_store.h"
#include "res/resource.h"
#include "win32/handles.h"
#include "win32/printer_exchange.h"

namespace tq350 {

namespace {

constexpr int kReportedTextFields[] = {IDC_PRINTER_NAME, IDC_STATUS, IDC_VOLTAGE, IDC_TEMPERATURE};

void show_capabilities(HWND dialog, const link::PrinterInfo& info) {
    HWND list = GetDlgItem(dialog, IDC_CAPABILITIES);
    g_main_dialog.updating = true;
    for (size_t i = 0; i < info.capabilities.size(); ++i)
        SetListItemChecked(list, static_cast<int>(i), info.capabilities[i]);
    g_main_dialog.updating = false;
}

void show_switches(HWND dialog, const link::PrinterInfo& info) {
    HWND list = GetDlgItem(dialog, IDC_SWITCHES);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    for (size_t k = 0; k < info.switches.size(); ++k) {
        // Only switches with a text are real; the unnamed one keeps whatever it shows.
        if (LoadResString(instance, IDS_SWITCH_FIRST + static_cast<UINT>(k))[0] != '\0')
            SetListItemChecked(list, static_cast<int>(k), info.switches[k]);
    }
    LoadSwitch8(g_main_dialog.settings_key.get(), dialog);
}

void show_features(HWND dialog, const link::PrinterInfo& info) {
    HMENU menu = GetMenu(dialog);
    HWND black_mark = GetDlgItem(dialog, IDC_BLACK_MARK);
    if (!info.black_marks)
        SendMessageA(black_mark, BM_SETCHECK, BST_UNCHECKED, 0);
    EnableWindow(black_mark, info.black_marks);
    if (menu)
        EnableMenuItem(menu, IDM_FIND_BLACKMARK,
                       MF_BYCOMMAND | (info.black_marks ? MF_ENABLED : MF_GRAYED));
    CheckRadioPair(dialog, IDC_IRDA_RELIABLE, info.raw_irda ? IDC_IRDA_RAW : IDC_IRDA_RELIABLE);
    if (menu) {
        EnableMenuItem(menu, IDM_MAGSTRIPE,
                       MF_BYCOMMAND | (info.magstripe_reader ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(menu, IDM_BLUETOOTH_NUMBER,
                       MF_BYCOMMAND | (info.bluetooth_number ? MF_ENABLED : MF_GRAYED));
    }
}

} // namespace

bool QueryPrinterInfo(HWND main_dialog, link::PrinterReadings& readings) {
    // Stale values vanish even when the query fails.
    for (int id : kReportedTextFields)
        SetDlgItemTextA(main_dialog, id, "");
    bool ok = false;
    {
        BlockingExchange exchange;
        if (std::unique_ptr<link::PrinterLine> line = OpenChosenPort(main_dialog)) {
            UpdateWindow(main_dialog);
            WaitCursor wait;
            ok = link::query_printer(*line, readings);
            line.reset();
        }
    }
    if (!ok)
        ShowCommunicationError(main_dialog);
    return ok;
}

void ShowPrinterInfo(HWND main_dialog) {
    link::PrinterReadings readings;
    if (!QueryPrinterInfo(main_dialog, readings)) {
        SetConnectedState(main_dialog, false);
        return;
    }
    SetConnectedState(main_dialog, true);
    const link::PrinterInfo info = link::decode_printer_info(readings.block);
    SetDlgItemTextA(main_dialog, IDC_PRINTER_NAME, info.name.c_str());
    show_capabilities(main_dialog, info);
    show_switches(main_dialog, info);
    show_features(main_dialog, info);
    HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main_dialog, GWLP_HINSTANCE));
    SetDlgItemTextA(
        main_dialog, IDC_STATUS,
        LoadResString(instance, static_cast<UINT>(link::status_text_id(readings.status))));
    SetDlgItemTextA(main_dialog, IDC_VOLTAGE,
                    link::format_voltage(readings.power.voltage_tenths).c_str());
    SetDlgItemTextA(main_dialog, IDC_TEMPERATURE,
                    link::format_temperature(readings.power.temperature, info.fahrenheit).c_str());
}

} // namespace tq350
