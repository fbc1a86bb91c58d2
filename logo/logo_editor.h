// The main dialog's "&Logo Editor..." command: from a picture file to the
// logo stored in the printer.
#pragma once

#include <windows.h>

namespace tq350::logo {

// Asks for a picture, opens the logo dialog on it and, after "&Download",
// sends the logo definition and a test print of the logo in its four modes
// over one connection. Reports only through message boxes and beeps: "Not a
// valid image!" for a logo that cannot be sent, and a failed send leaves the
// main dialog disconnected. Every bitmap is deleted before it returns.
void RunLogoEditor(HWND main_dialog);

} // namespace tq350::logo
