// The main dialog's "&Logo Editor..." command: from a picture file to the
// logo stored in the printer.
#pragma once

#include <windows.h>

#include "link/printer_line.h"

namespace tq350::logo {

// Asks for a picture, opens the logo dialog on it and, after "&Download",
// sends the logo definition and a test print of the logo in its four modes
// over one line from open_line. Reports through message boxes and beeps: "Not a
// valid image!" for a logo that cannot be sent. False when the send failed: the
// caller disconnects the main dialog. Every bitmap is deleted before it returns.
bool RunLogoDownload(HWND main_dialog, const link::PrinterLineOpener& open_line);

} // namespace tq350::logo
