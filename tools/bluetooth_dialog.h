// The Bluetooth address dialog: six two-digit fields and the self-test flag.
#pragma once

#include <windows.h>

#include <string>

namespace tq350::tools {

// Runs the dialog owned by owner. On OK the 13-character record is replaced by
// what the user entered and true is returned; on Cancel it stays as it was.
bool RunBluetoothAddressDialog(HWND owner, std::string& record);

// The dialog procedure, for tests that drive the dialog modeless.
INT_PTR CALLBACK BluetoothAddressDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::tools
