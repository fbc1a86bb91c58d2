// The least a dialog program can do, without the common controls: the second yardstick
// for the program's start-up time.
#include <windows.h>

#include "app/bench/bare_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return tq350::bench::run_bare_dialog(instance, 1);
}
