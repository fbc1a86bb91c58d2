// startup_bench PROGRAM TITLE REFERENCE REF_TITLE [RUNS]
// Start-up time to a shown, idle main window, for the program and for a minimal
// dialog program, alternated in one run so that both see the same warm Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess until the window is visible and the program idle;
// negative on failure. The program is closed again before returning.
double start_once(const char* exe, const char* title) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = std::string("\"") + exe + "\"";
    const double begin = now_ms();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return -1;
    WaitForInputIdle(info.hProcess, 30000);
    HWND window = FindWindowA(nullptr, title);
    const double elapsed = window && IsWindowVisible(window) ? now_ms() - begin : -1;
    if (window)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: startup_bench PROGRAM TITLE REFERENCE REF_TITLE [RUNS]\n");
        return 1;
    }
    const int runs = argc > 5 ? atoi(argv[5]) : 15;
    std::vector<double> program, reference;
    start_once(argv[1], argv[2]); // warm-up: first loads of the DLLs
    start_once(argv[3], argv[4]);
    for (int i = 0; i < runs; ++i) {
        const double p = start_once(argv[1], argv[2]);
        const double r = start_once(argv[3], argv[4]);
        if (p < 0 || r < 0) {
            fprintf(stderr, "a start failed\n");
            return 1;
        }
        program.push_back(p);
        reference.push_back(r);
    }
    const double p = median(program), r = median(reference);
    printf("startup: program %.1f ms, minimal dialog %.1f ms (median of %d), ratio %.3f\n", p, r,
           runs, p / r);
    return 0;
}
