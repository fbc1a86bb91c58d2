// Top-level windows of one process with one caption. The tests start copies of
// the program and must tell their windows from those of another copy or of a
// test's own dialogs with the same caption.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tq350::test {

inline std::vector<HWND> visible_windows_of(DWORD pid, const char* caption) {
    struct Search {
        DWORD pid;
        const char* caption;
        std::vector<HWND> found;
    } search{pid, caption, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char title[128] = {};
            GetWindowTextA(window, title, sizeof title);
            if (owner == s->pid && std::string(title) == s->caption && IsWindowVisible(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace tq350::test
