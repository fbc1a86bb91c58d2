// The main dialog: the program's one top-level window.
#pragma once

#include <windows.h>

namespace tq350 {

// Broadcast by a starting copy so that a running copy comes to the front.
extern const UINT g_activation_message;

// Caption of every message box of the program.
inline constexpr const char* kMessageCaption = "Printer Settings";

// Dialog procedure of resource IDD_MAIN, created modeless. OK and Cancel post WM_QUIT.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Enables or disables everything that needs a printer; entering the
// disconnected state always sounds the warning beep.
void SetConnectedState(HWND dialog, bool connected);

// The settings key the main dialog holds, nullptr when none is open. While it is
// non-null the capability list refuses changes, so the information display
// clears it around its own updates.
HKEY MainSettingsKey();
void SetMainSettingsKey(HKEY key);

// All beeps go through here; tests replace the handler to count them.
using BeepHandler = void (*)(UINT type);
extern BeepHandler g_beep_handler;
void Beep(UINT type);

} // namespace tq350
