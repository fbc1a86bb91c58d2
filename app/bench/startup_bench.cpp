// startup_bench RUNS PROGRAM TITLE REFERENCE TITLE [REFERENCE TITLE]...
// Start-up time to a shown, idle main window, for the program and for dialog-only
// reference programs, alternated in each round so that all see the same warm Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "testing/stopwatch.h"

namespace {

using tq350::bench::now_ms;

struct Program {
    const char* exe;
    const char* title;
    std::vector<double> times;
};

// Milliseconds from CreateProcess until the window is visible and the program idle;
// negative on failure. The program is closed again before returning.
double start_once(const Program& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = std::string("\"") + program.exe + "\"";
    const double begin = now_ms();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return -1;
    WaitForInputIdle(info.hProcess, 30000);
    HWND window = FindWindowA(nullptr, program.title);
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

const char* file_name(const char* path) {
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    return name;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6 || argc % 2 != 0) {
        fprintf(stderr,
                "usage: startup_bench RUNS PROGRAM TITLE REFERENCE TITLE [REFERENCE TITLE]...\n");
        return 1;
    }
    const int runs = atoi(argv[1]);
    std::vector<Program> programs;
    for (int i = 2; i < argc; i += 2)
        programs.push_back({argv[i], argv[i + 1], {}});
    for (const Program& program : programs)
        start_once(program); // warm-up: first loads of the DLLs
    for (int round = 0; round < runs; ++round) {
        for (Program& program : programs) {
            const double elapsed = start_once(program);
            if (elapsed < 0) {
                fprintf(stderr, "a start of %s failed\n", program.exe);
                return 1;
            }
            program.times.push_back(elapsed);
        }
    }
    // On a shared machine the load drifts between rounds; the ratio within each round,
    // both programs started a moment apart, drifts far less than the two medians.
    const Program& program = programs.front();
    printf("startup to the shown, idle main window (median of %d alternated runs):\n", runs);
    printf("  %-26s %6.1f ms\n", file_name(program.exe), median(program.times));
    for (auto reference = programs.begin() + 1; reference != programs.end(); ++reference) {
        std::vector<double> ratios;
        for (int round = 0; round < runs; ++round)
            ratios.push_back(program.times[round] / reference->times[round]);
        const double time = median(reference->times);
        printf("  %-26s %6.1f ms  ratio %.3f, within a round %.3f\n", file_name(reference->exe),
               time, median(program.times) / time, median(ratios));
    }
    return 0;
}
