// send_bench: the send operation's pacing against the virtual printer on COM5.
// A full font A download with test print (12128 bytes) goes out at 115200 bps; the
// floor is the 2.5 s wake-up, the line time, one millisecond per byte of pacing and
// the 0.3 s close.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "app/chosen_port.h"
#include "app/control_classes.h"
#include "app/main_dialog.h"
#include "app/printer_commands.h"
#include "app/settings_store.h"
#include "font/font_download_core.h"
#include "font/font_table_core.h"
#include "res/resource.h"
#include "win32/printer_exchange.h"
#include "testing/message_pump.h"
#include "testing/stopwatch.h"

namespace {

using tq350::bench::now_ms;
using tq350::test::pump_messages;

std::vector<uint8_t> full_font_a_download() {
    tq350::font::FontTable table(tq350::font::FontKind::a);
    std::vector<uint8_t> rows(48, 0x55);
    for (int code = 32; code <= 255; ++code)
        table.define(code, rows);
    return tq350::font::build_font_download(table, {true, true});
}

} // namespace

int main() {
    using namespace tq350;
    InitCommonControls();
    RegisterControlClasses(GetModuleHandleA(nullptr));
    g_beep_handler = [](UINT) {};
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     MainDialogProc, 0);
    if (!dialog)
        return 1;
    if (!SelectComboItemByData(GetDlgItem(dialog, IDC_PORT), 5)) {
        fprintf(stderr, "COM5 is not in the port list\n");
        return 1;
    }
    FillSpeedList(GetDlgItem(dialog, IDC_SPEED));
    SetConnectedState(dialog, true);
    // Printer and program to 115200 (the query that follows is posted; run it).
    RunPrinterCommand(dialog, IDM_SPEED_115200);
    pump_messages();
    if (!IsWindowEnabled(GetDlgItem(dialog, IDC_CONNECT_SET))) {
        fprintf(stderr, "the printer did not follow to 115200 bps\n");
        return 1;
    }
    const std::vector<uint8_t> download = full_font_a_download();
    const double begin = now_ms();
    const bool sent =
        SendCommandSequence(dialog, ChosenPortOpener(dialog), download.data(), download.size());
    const double elapsed = now_ms() - begin;
    const double bytes = static_cast<double>(download.size());
    const double floor = 2500.0 + 1000.0 * 10.0 * bytes / 115200.0 + bytes + 300.0;
    printf("send of %zu bytes at 115200 bps: %.0f ms, floor %.0f ms, ratio %.3f%s\n",
           download.size(), elapsed, floor, elapsed / floor, sent ? "" : " (FAILED)");
    RunPrinterCommand(dialog, IDM_TOTAL_RESET); // back to 9600 for whoever comes next
    pump_messages();
    DestroyWindow(dialog);
    return sent ? 0 : 1;
}
