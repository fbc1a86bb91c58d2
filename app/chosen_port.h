// The printer line of the port and speed chosen in the main dialog.
#pragma once

#include <windows.h>

#include "link/printer_line.h"

namespace tq350 {

// Opens the port chosen in the main dialog at the speed chosen there, with the
// wait cursor while the printer wakes; on success the Speed menu shows that
// speed. nullptr on failure (no message: the caller reports it).
std::unique_ptr<link::PrinterLine> OpenChosenPort(HWND main_dialog);

// OpenChosenPort bound to the main dialog, for the dialogs opened over it.
link::PrinterLineOpener ChosenPortOpener(HWND main_dialog);

} // namespace tq350
