#include "app/chosen_port.h"

#include "link/serial_port.h"
#include "res/resource.h"
#include "win32/handles.h"

namespace tq350 {

std::unique_ptr<link::PrinterLine> OpenChosenPort(HWND main_dialog) {
    UpdateWindow(main_dialog);
    char name[32] = {};
    GetDlgItemTextA(main_dialog, IDC_PORT, name, sizeof name);
    HWND speeds = GetDlgItem(main_dialog, IDC_SPEED);
    const LRESULT speed_index = SendMessageA(speeds, CB_GETCURSEL, 0, 0);
    const auto baud =
        static_cast<std::uint32_t>(SendMessageA(speeds, CB_GETITEMDATA, speed_index, 0));
    std::unique_ptr<link::SerialPort> port;
    {
        WaitCursor wait;
        port = link::open_serial_port(name, baud);
    }
    if (port)
        if (HMENU menu = GetMenu(main_dialog))
            CheckMenuRadioItem(menu, IDM_SPEED_1200, IDM_SPEED_115200,
                               IDM_SPEED_1200 + static_cast<UINT>(speed_index), MF_BYCOMMAND);
    return port;
}

link::PrinterLineOpener ChosenPortOpener(HWND main_dialog) {
    return [main_dialog] { return OpenChosenPort(main_dialog); };
}

} // namespace tq350
