// Milliseconds from the performance counter, for the benchmarks' timings.
#pragma once

#include <windows.h>

namespace tq350::bench {

inline double now_ms() {
    LARGE_INTEGER frequency{}, counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace tq350::bench
