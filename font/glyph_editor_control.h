// The glyph editor control (window class SYMBOLDRAW): one printer character
// magnified as a grid of square cells, a dot toggled by each left-button press.
// The font editor dialog drives it entirely through the SDM_* messages below and
// learns of every change from a WM_NOTIFY (code 0) sent to the parent.
#pragma once

#include <windows.h>

namespace tq350::font {

// lParam: width in dots in the low word, height in the high word. Both glyphs
// become blank at that size. Result 0; nonzero when the glyphs could not be
// allocated: the control then holds no glyph, shows none and sends no change
// notification.
inline constexpr UINT SDM_SETSIZE = WM_USER + 100;
// wParam: bytes per row at the buffer in the low word, nonzero high word for
// inverted polarity (bit 1 = blank dot); lParam: a buffer of height x that many
// bytes. Rows top first, most significant bit leftmost.
inline constexpr UINT SDM_GETBITS = WM_USER + 101;
inline constexpr UINT SDM_SETBITS = WM_USER + 102;
// A new top-down 1-bit DIB section of the glyph at one pixel per dot, colour 0
// black for inked dots; NULL without a glyph. The caller owns and deletes it.
inline constexpr UINT SDM_GETDIB = WM_USER + 103;
inline constexpr UINT SDM_CLEAR = WM_USER + 104;
inline constexpr UINT SDM_FILL = WM_USER + 105;
// Back to the reference glyph (the blank one of SDM_SETSIZE or the last commit).
inline constexpr UINT SDM_REVERT = WM_USER + 106;
// The shown glyph becomes the reference; no repaint and no notification.
inline constexpr UINT SDM_COMMIT = WM_USER + 107;
inline constexpr UINT SDM_INVERT = WM_USER + 108;
// Toggles the outer rows and columns once: two boxes in a row undo each other.
inline constexpr UINT SDM_BOX = WM_USER + 109;
// 1 when the shown glyph differs from the reference, else 0.
inline constexpr UINT SDM_ISMODIFIED = WM_USER + 110;

// Window procedure of the class. The glyphs belong to the class, not to a window:
// the program shows one glyph editor at a time, and the next one starts with
// SDM_SETSIZE.
LRESULT CALLBACK GlyphEditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace tq350::font
