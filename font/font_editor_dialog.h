// The font editor: the printer's downloadable characters of font A or font B,
// edited dot by dot, kept in font files and downloaded to the printer.
#pragma once

#include <windows.h>

#include "link/printer_line.h"

namespace tq350::font {

// Runs the dialog modally, owned by the main dialog; the download opens its line
// with open_line. Nothing of the font outlives the dialog.
void RunFontEditor(HWND main_dialog, const link::PrinterLineOpener& open_line);

// The dialog procedure, for tests that drive the dialog modeless; the
// creation parameter points to the line opener.
INT_PTR CALLBACK FontEditorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::font
