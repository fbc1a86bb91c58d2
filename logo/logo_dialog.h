// The logo dialog "Preview & download logo" (IDD_LOGO): previews the picture
// converted for the printer and lets the user accept it with "&Download".
#pragma once

#include <windows.h>

namespace tq350::logo {

// Dialog procedure of IDD_LOGO, run modally with DialogBoxParamA. The creation
// parameter is the address of the caller's logo handle variable (HBITMAP*),
// holding the picture to start from; the dialog owns that picture and its
// previews while it runs ("&Load Other..." replaces the picture in the
// variable). It ends with IDOK after "&Download", the variable then holding
// the logo to send, which the caller owns (nullptr when the conversion
// failed); or with IDCANCEL, the variable then null and every bitmap of the
// dialog deleted. One logo dialog at a time: its state is module-wide.
INT_PTR CALLBACK LogoDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::logo
