// Bytes as "1D 2A 01", so that a failing comparison shows which byte on the
// wire or in the bitmap is wrong. run("FF", 3) is "FF FF FF".
#pragma once

#include <cstddef>
#include <string>

#include "app/tests/hex.h"

namespace tq350::logo::test {

using tq350::test::hex;

inline std::string run(const std::string& item, std::size_t count, const char* separator = " ") {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : separator) + item;
    }
    return text;
}

} // namespace tq350::logo::test
