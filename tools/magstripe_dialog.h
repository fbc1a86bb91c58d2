// The magstripe reader test: reads the selected tracks of a swiped card.
#pragma once

#include <windows.h>

namespace tq350::tools {

// Runs the dialog modally, owned by the main dialog, whose port and speed it uses.
void RunMagstripeDialog(HWND main_dialog);

// The dialog procedure, for tests that drive the dialog modeless.
INT_PTR CALLBACK MagstripeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::tools
