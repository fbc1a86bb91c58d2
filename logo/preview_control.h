// The bitmap preview control (window class STATICBITMAP): shows one bitmap at
// its natural size, centred in each direction in which it is smaller than the
// control and scrollable in each direction in which it is larger; an empty
// control shows a diagonal cross. The logo dialog and the font editor use it.
//
// It only looks at bitmaps: it never copies, changes or deletes one. Whoever
// hands a bitmap over with STM_SETIMAGE keeps owning it, and deletes the
// handle STM_SETIMAGE returns once it has no use for it.
#pragma once

#include <windows.h>

namespace tq350::logo {

// Messages:
//   STM_SETIMAGE (wParam ignored, lParam the bitmap or nullptr): shows it and
//     returns the bitmap shown before. A handle that is not a bitmap is kept
//     (STM_GETIMAGE returns it) but shown as no bitmap.
//   STM_GETIMAGE: the bitmap shown, or nullptr.
// Of the style's low word only SS_CENTERIMAGE counts: the first bitmap after
// none then starts scrolled to its middle.
LRESULT CALLBACK PreviewControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::logo
