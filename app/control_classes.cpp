#include "control_classes.h"

namespace tq350 {

namespace {

// The preview and glyph editor window procedures arrive with the logo and font
// editors; until then both classes are plain windows.
constexpr WNDPROC kPreviewControlProc = DefWindowProcA;
constexpr WNDPROC kGlyphEditorProc = DefWindowProcA;

} // namespace

bool RegisterControlClasses(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.lpfnWndProc = kPreviewControlProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPreviewControlClass;
    if (!RegisterClassA(&wc))
        return false;
    wc.lpfnWndProc = kGlyphEditorProc;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kGlyphEditorClass;
    return RegisterClassA(&wc) != 0;
}

void UnregisterControlClasses(HINSTANCE instance) {
    UnregisterClassA(kPreviewControlClass, instance);
    UnregisterClassA(kGlyphEditorClass, instance);
}

} // namespace tq350
