// What every window of the program says and sounds alike.
#pragma once

#include <windows.h>

namespace tq350 {

// Caption of every message box of the program.
inline constexpr const char* kMessageCaption = "Printer Settings";

// All beeps go through here; tests replace the handler to count them.
using BeepHandler = void (*)(UINT type);
extern BeepHandler g_beep_handler;
void Beep(UINT type);

// Loads a string resource into one shared 1024-byte buffer that the next call
// overwrites; an absent string gives "".
const char* LoadResString(HINSTANCE instance, UINT id);

} // namespace tq350
