// The program's own main dialog, shown by an exe that does nothing else: the
// yardstick for the program's start-up time. Built from the same resource script,
// so it follows the template; the list views and the up-down control need the
// common controls, as the program does.
#include <windows.h>

#include <commctrl.h>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK dialog_proc(HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, dialog_proc, 0);
    if (!dialog)
        return 0;
    ShowWindow(dialog, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(dialog);
    return 1;
}
