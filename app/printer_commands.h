// The "Advanced" menu commands that are one send each: speed, tests, reset,
// logo printing and deletion, beep, black mark, power-off, Bluetooth address.
#pragma once

#include <windows.h>

namespace tq350 {

// Runs menu command id of the main dialog; false when id is not one of these.
// A failed command leaves the main dialog disconnected.
bool RunPrinterCommand(HWND main_dialog, int id);

} // namespace tq350
