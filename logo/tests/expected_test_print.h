// The test print that follows every logo definition, in hex as the printer
// receives it: ESC % 0, ESC ! 1, then for modes 0 to 3 the caption (a line
// feed, "Preview LOGO '<mode name>':", a line feed) and GS / m, and ESC J 80.
#pragma once

#include <string>

namespace tq350::logo::test {

inline const std::string kExpectedTestPrint =
    "1B 25 00 1B 21 01 "
    "0A 50 72 65 76 69 65 77 20 4C 4F 47 4F 20 27 4E 6F 72 6D 61 6C 20 32 30 33 78 32 30 33 20 "
    "44 50 49 27 3A 0A 1D 2F 00 "
    "0A 50 72 65 76 69 65 77 20 4C 4F 47 4F 20 27 44 6F 75 62 6C 65 20 77 69 64 74 68 20 31 30 "
    "31 78 32 30 33 20 44 50 49 27 3A 0A 1D 2F 01 "
    "0A 50 72 65 76 69 65 77 20 4C 4F 47 4F 20 27 44 6F 75 62 6C 65 20 68 65 69 67 68 74 20 32 "
    "30 33 78 31 30 31 20 44 50 49 27 3A 0A 1D 2F 02 "
    "0A 50 72 65 76 69 65 77 20 4C 4F 47 4F 20 27 44 6F 75 62 6C 65 20 57 2F 48 20 31 30 31 78 "
    "31 30 31 20 44 50 49 27 3A 0A 1D 2F 03 "
    "1B 4A 50";

} // namespace tq350::logo::test
