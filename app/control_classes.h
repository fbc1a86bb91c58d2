// Window classes of the program's own controls, used by the logo and font dialogs.
#pragma once

#include <windows.h>

namespace tq350 {

inline constexpr const char* kPreviewControlClass = "STATICBITMAP";
inline constexpr const char* kGlyphEditorClass = "SYMBOLDRAW";

// Registers both classes; false when either registration fails (the first one is
// then left registered, as it would be at process exit anyway).
bool RegisterControlClasses(HINSTANCE instance);
void UnregisterControlClasses(HINSTANCE instance);

} // namespace tq350
