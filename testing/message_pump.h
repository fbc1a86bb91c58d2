// Handles every message waiting in this thread's queue: the suites and the
// benchmarks let a window do its work between their steps with it.
#pragma once

#include <windows.h>

namespace tq350::test {

// Reports whether a WM_QUIT was among the messages (a leftover one would make the
// next MessageBox return at once).
inline bool pump_messages() {
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

} // namespace tq350::test
