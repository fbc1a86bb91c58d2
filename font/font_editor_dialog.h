// The font editor: the printer's downloadable characters of font A or font B,
// edited dot by dot, kept in font files and downloaded to the printer.
#pragma once

#include <windows.h>

namespace tq350::font {

// Runs the dialog modally, owned by the main dialog, whose port and speed the
// download uses. Nothing of the font outlives the dialog.
void RunFontEditor(HWND main_dialog);

// The dialog procedure, for tests that drive the dialog modeless.
INT_PTR CALLBACK FontEditorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::font
