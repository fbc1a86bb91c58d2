// The barcode dialog: prints barcodes until the user closes it.
#pragma once

#include <windows.h>

namespace tq350::tools {

// Runs the dialog modally, owned by the main dialog, whose port and speed it uses.
void RunBarcodeDialog(HWND main_dialog);

// The dialog procedure, for tests that drive the dialog modeless.
INT_PTR CALLBACK BarcodeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::tools
