// The main dialog: the program's one top-level window.
#pragma once

#include <windows.h>

#include "win32/handles.h"

namespace tq350 {

// Broadcast by a starting copy so that a running copy comes to the front.
extern const UINT g_activation_message;

// Dialog procedure of resource IDD_MAIN, created modeless. OK and Cancel post WM_QUIT.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Enables or disables everything that needs a printer; entering the
// disconnected state always sounds the warning beep.
void SetConnectedState(HWND dialog, bool connected);

// What the main dialog holds while it is open.
struct MainDialogState {
    // The settings key; empty when it could not be opened, and then nothing is
    // saved and the capability list takes the user's changes.
    RegKey settings_key;
    // Set while the program itself fills the controls: the capability list,
    // which refuses the user's changes, takes the program's.
    bool updating = false;
};
extern MainDialogState g_main_dialog;

} // namespace tq350
