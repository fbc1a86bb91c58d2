// The barcode dialog: prints barcodes until the user closes it.
#pragma once

#include <windows.h>

#include "link/printer_line.h"

namespace tq350::tools {

// Runs the dialog modally, owned by the main dialog; each exchange opens its
// line with open_line.
void RunBarcodeDialog(HWND main_dialog, const link::PrinterLineOpener& open_line);

// The dialog procedure, for tests that drive the dialog modeless.
INT_PTR CALLBACK BarcodeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::tools
