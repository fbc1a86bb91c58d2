// Invariant checks for the fuzz targets. A broken invariant ends the run the way a crash does,
// so that libFuzzer keeps the input that broke it and ctest fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define TQ350_FUZZ_CHECK(condition)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
