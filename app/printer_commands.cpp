#include "app/printer_commands.h"

#include <algorithm>
#include <string>

#include "app/chosen_port.h"
#include "app/main_dialog.h"
#include "app/selection_lists.h"
#include "app/settings_store.h"
#include "link/printer_commands_core.h"
#include "res/resource.h"
#include "tools/bluetooth_address_core.h"
#include "tools/bluetooth_dialog.h"
#include "win32/printer_exchange.h"

namespace tq350 {

namespace {

template <size_t N> bool send(HWND dialog, const std::array<uint8_t, N>& bytes) {
    return SendCommandSequence(dialog, ChosenPortOpener(dialog), bytes.data(), bytes.size());
}

// After a speed change or a reset the printer talks at another speed: select it
// and let "Connect & Get" (posted, so it runs after this command) show the printer.
void follow_printer_speed(HWND dialog, int32_t bits_per_second) {
    if (!SelectComboItemByData(GetDlgItem(dialog, IDC_SPEED), bits_per_second)) {
        SetConnectedState(dialog, false);
        return;
    }
    PostMessageA(GetDlgItem(dialog, IDC_CONNECT_GET), BM_CLICK, 0, 0);
}

bool change_speed(HWND dialog, size_t index) {
    if (!send(dialog, link::speed_change_command(index)))
        return false;
    follow_printer_speed(dialog, kSpeedItems[index].data);
    return true;
}

bool total_reset(HWND dialog) {
    const bool max_115200 =
        SendDlgItemMessageA(dialog, IDC_IRDA_MAX_115200, BM_GETCHECK, 0, 0) == 1;
    if (!send(dialog, link::total_reset_command(max_115200)))
        return false;
    follow_printer_speed(dialog, static_cast<int32_t>(link::speed_after_total_reset));
    return true;
}

bool set_bluetooth_address(HWND dialog) {
    UpdateWindow(dialog);
    std::string record = LoadAddressRecord(g_main_dialog.settings_key.get());
    if (!tools::RunBluetoothAddressDialog(dialog, record))
        return true; // cancelled: nothing sent, nothing stored
    tools::AddressRecord confirmed{};
    std::copy_n(record.begin(), confirmed.size(), confirmed.begin());
    if (!send(dialog, tools::build_address_command(confirmed)))
        return false;
    SaveAddressRecord(g_main_dialog.settings_key.get(), record);
    return true;
}

} // namespace

bool RunPrinterCommand(HWND dialog, int id) {
    bool ok = true;
    switch (id) {
    case IDM_SPEED_1200:
    case IDM_SPEED_2400:
    case IDM_SPEED_4800:
    case IDM_SPEED_9600:
    case IDM_SPEED_19200:
    case IDM_SPEED_57600:
    case IDM_SPEED_115200:
        ok = change_speed(dialog, static_cast<size_t>(id - IDM_SPEED_1200));
        break;
    case IDM_TOTAL_RESET:
        ok = total_reset(dialog);
        break;
    case IDM_SHORT_TEST:
        ok = send(dialog, link::short_test_command);
        break;
    case IDM_LONG_TEST:
        ok = send(dialog, link::long_test_command);
        break;
    case IDM_DELETE_LOGO:
        ok = send(dialog, link::delete_logo_command);
        break;
    case IDM_BEEP:
        ok = send(dialog, link::beep_command);
        break;
    case IDM_FIND_BLACKMARK:
        ok = send(dialog, link::find_black_mark_command);
        break;
    case IDM_TURN_OFF:
        ok = send(dialog, link::turn_off_command);
        break;
    case IDM_LOGO_NORMAL:
    case IDM_LOGO_DOUBLE_WIDTH:
    case IDM_LOGO_DOUBLE_HEIGHT:
    case IDM_LOGO_DOUBLED:
        ok = send(dialog,
                  link::logo_print_command(static_cast<link::LogoPrintMode>(id - IDM_LOGO_NORMAL)));
        break;
    case IDM_BLUETOOTH_NUMBER:
        ok = set_bluetooth_address(dialog);
        break;
    default:
        return false;
    }
    if (!ok)
        SetConnectedState(dialog, false);
    return true;
}

} // namespace tq350
