// Entry point: one running copy, the main dialog, the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/control_classes.h"
#include "app/main_dialog.h"
#include "res/resource.h"

namespace {

// Exit codes: 0 when the instance marker or a window class cannot be created,
// 1 otherwise (also for a second copy that leaves at once).
constexpr int kExitSetupFailed = 0;
constexpr int kExitDone = 1;

// Only its existence matters; the handle stays open until the process ends.
constexpr const char* kInstanceMarker = "TQ-350 finder tool";

int run_message_loop(HWND dialog, HACCEL accelerators) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(dialog, &msg))
            continue;
        if (accelerators && TranslateAcceleratorA(dialog, accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return kExitDone;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Ask a running copy to come forward before finding out whether we must leave.
    SendNotifyMessageA(HWND_BROADCAST, tq350::g_activation_message, 0, 0);

    HANDLE marker = CreateEventA(nullptr, TRUE, FALSE, kInstanceMarker);
    if (!marker)
        return kExitSetupFailed;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return kExitDone;

    InitCommonControls();
    if (!tq350::RegisterControlClasses(instance))
        return kExitSetupFailed;

    HWND dialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, tq350::MainDialogProc, 0);
    if (dialog) {
        HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
        ShowWindow(dialog, SW_SHOWNORMAL);
        run_message_loop(dialog, accelerators);
        DestroyWindow(dialog);
    }
    tq350::UnregisterControlClasses(instance);
    return kExitDone;
}
