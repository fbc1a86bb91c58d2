// The one-way channel to the printer: one sequence over a fresh connection.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tq350::link {

// Sends bytes (length 0: up to the first NUL) in chunks of at most 2048 bytes,
// pausing one millisecond per byte after each. A chunk that does not go out
// whole beeps (asterisk) and the rest is still sent; the result is true only
// when every chunk went out. A port that cannot be opened shows "Can NOT
// communicate with printer!" owned by owner (always the main dialog).
bool SendCommandSequence(HWND owner, const uint8_t* bytes, size_t length);

} // namespace tq350::link
