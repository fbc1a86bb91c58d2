// tq350-drive: lets scripts (make run, screenshots, benchmarks) drive a running
// copy of the program from the Windows side, where windows and controls can be
// waited on properly instead of guessed at with sleeps.
//
//   tq350-drive wait TITLE [SECONDS]        until a visible top-level window with that
//                                            caption exists and its thread is idle and painted
//   tq350-drive click TITLE ID               posts BM_CLICK to control ID
//   tq350-drive wait-enabled TITLE ID [S]   until control ID is enabled (or a message box
//                                            owned by the window appears: exit code 3)
//   tq350-drive close TITLE                  posts Cancel to the window
//   tq350-drive text TITLE ID                prints the control's text
//   tq350-drive command TITLE ID             posts menu command ID to the window
//   tq350-drive set-text TITLE ID TEXT       sets a control's text
//   tq350-drive select TITLE ID INDEX        selects a combo box item
//   tq350-drive check TITLE ID               checks a check box
//   tq350-drive press TITLE ID               posts a button's command (OK, Cancel, Read...)
//   tq350-drive settle TITLE                 waits until the window's thread is idle and painted
//   tq350-drive wait-gone TITLE [SECONDS]    until no visible window has that caption
//   tq350-drive answer TITLE BUTTON [S]      waits for the window (a message box, say), posts
//                                            the button and waits until that window has gone
//   tq350-drive select-list TITLE ID INDEX   selects a list box item, as a click would
//   tq350-drive draw TITLE ID W H C,R...     clicks cells C,R of the W x H glyph grid in ID
//
// Exit code 0 on success, 2 on a time-out, 1 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND find_visible(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// Returns once the window's thread has handled everything sent before, painting included.
bool settle(HWND window, DWORD timeout_ms) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
        WaitForInputIdle(process, timeout_ms);
        CloseHandle(process);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, timeout_ms, &result) != 0;
}

HWND owned_message_box(HWND owner) {
    HWND popup = GetLastActivePopup(owner);
    return popup && popup != owner ? popup : nullptr;
}

int wait_window(const char* title, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    HWND window = nullptr;
    // The window is made by another process; there is nothing to wait on until it exists.
    while (!(window = find_visible(title))) {
        if (GetTickCount64() > deadline)
            return 2;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return settle(window, 10000) ? 0 : 2;
}

int wait_enabled(const char* title, int id, double seconds) {
    HWND window = find_visible(title);
    if (!window)
        return 1;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        // The program works on its GUI thread: this returns when it is free again.
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &result);
        if (IsWindowEnabled(GetDlgItem(window, id)))
            return settle(window, 10000) ? 0 : 2;
        if (HWND box = owned_message_box(window)) {
            settle(box, 10000);
            return 3;
        }
        if (GetTickCount64() > deadline)
            return 2;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

int wait_gone(const char* title, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (find_visible(title)) {
        if (GetTickCount64() > deadline)
            return 2;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return 0;
}

int answer(const char* title, int button, double seconds) {
    if (const int waited = wait_window(title, seconds))
        return waited;
    HWND box = find_visible(title);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    // Another window of the same caption may follow at once (a second question), so
    // this waits for this one window, not for the caption.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (IsWindow(box)) {
        if (GetTickCount64() > deadline)
            return 2;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return 0;
}

// Sent, not posted, so that the cells are set in order and done when this returns.
int draw_cells(HWND window, int id, int width, int height, int count, char** cells) {
    HWND grid = GetDlgItem(window, id);
    RECT client{};
    if (!grid || !GetClientRect(grid, &client) || width < 1 || height < 1)
        return 1;
    const int cell = std::min(client.right / width, client.bottom / height);
    for (int i = 0; i < count; ++i) {
        int column = 0, row = 0;
        if (sscanf(cells[i], "%d,%d", &column, &row) != 2)
            return 1;
        const LPARAM point = MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(grid, WM_LBUTTONDOWN, MK_LBUTTON, point, SMTO_BLOCK, 10000, &result);
        SendMessageTimeoutA(grid, WM_LBUTTONUP, 0, point, SMTO_BLOCK, 10000, &result);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 1;
    const std::string verb = argv[1];
    const char* title = argv[2];
    if (verb == "wait")
        return wait_window(title, argc > 3 ? atof(argv[3]) : 30);
    if (verb == "answer" && argc > 3)
        return answer(title, atoi(argv[3]), argc > 4 ? atof(argv[4]) : 30);
    if (verb == "wait-gone")
        return wait_gone(title, argc > 3 ? atof(argv[3]) : 30);
    HWND window = find_visible(title);
    if (!window)
        return 2;
    if (verb == "click" && argc > 3) {
        PostMessageA(GetDlgItem(window, atoi(argv[3])), BM_CLICK, 0, 0);
        return 0;
    }
    if (verb == "wait-enabled" && argc > 3)
        return wait_enabled(title, atoi(argv[3]), argc > 4 ? atof(argv[4]) : 60);
    if (verb == "close") {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    const int id = argc > 3 ? atoi(argv[3]) : 0;
    if (verb == "command" && argc > 3) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    if (verb == "set-text" && argc > 4)
        return SetDlgItemTextA(window, id, argv[4]) ? 0 : 1;
    if (verb == "select" && argc > 4) {
        SendDlgItemMessageA(window, id, CB_SETCURSEL, atoi(argv[4]), 0);
        return 0;
    }
    if (verb == "select-list" && argc > 4) {
        HWND list = GetDlgItem(window, id);
        SendMessageA(list, LB_SETCURSEL, atoi(argv[4]), 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        return 0;
    }
    if (verb == "draw" && argc > 5)
        return draw_cells(window, id, atoi(argv[4]), atoi(argv[5]), argc - 6, argv + 6);
    if (verb == "check" && argc > 3) {
        SendDlgItemMessageA(window, id, BM_SETCHECK, BST_CHECKED, 0);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        return 0;
    }
    if (verb == "press" && argc > 3) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        return 0;
    }
    if (verb == "settle")
        return settle(window, 60000) ? 0 : 2;
    if (verb == "text" && argc > 3) {
        char text[512] = {};
        GetDlgItemTextA(window, atoi(argv[3]), text, sizeof text);
        printf("%s\n", text);
        return 0;
    }
    return 1;
}
