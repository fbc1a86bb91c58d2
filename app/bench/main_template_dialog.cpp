// The program's own main dialog, shown by an exe that does nothing else: the
// yardstick for the program's start-up time. Built from the same resource script,
// so it follows the template; the list views and the up-down control need the
// common controls, as the program does.
#include <windows.h>

#include <commctrl.h>

#include "app/bench/bare_dialog.h"
#include "res/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    return tq350::bench::run_bare_dialog(instance, IDD_MAIN);
}
