// "Connect && Get": the information query and its display in the main dialog.
#pragma once

#include <windows.h>

#include "link/exchanges.h"

namespace tq350 {

// Runs the three requests over one connection. On failure the message box has
// been shown and the readings are incomplete.
bool QueryPrinterInfo(HWND main_dialog, link::PrinterReadings& readings);

// Handler of "Connect && Get": queries the printer and shows what it reports,
// connecting the main dialog, or disconnects it on failure.
void ShowPrinterInfo(HWND main_dialog);

} // namespace tq350
