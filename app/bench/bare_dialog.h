// What the start-up yardsticks share: a modeless dialog that does nothing but end
// on Cancel, shown and run until then.
#pragma once

#include <windows.h>

namespace tq350::bench {

inline INT_PTR CALLBACK bare_dialog_proc(HWND, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// Shows the dialog template and runs its message loop; 0 if it cannot be created.
inline int run_bare_dialog(HINSTANCE instance, int template_id) {
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(template_id), nullptr,
                                     bare_dialog_proc, 0);
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

} // namespace tq350::bench
