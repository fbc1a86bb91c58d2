#include "app/control_classes.h"

#include "font/glyph_editor_control.h"
#include "logo/preview_control.h"

namespace tq350 {

namespace {

// The window procedures live with the dialogs that use the controls.
constexpr WNDPROC kPreviewControlProc = logo::PreviewControlProc;
constexpr WNDPROC kGlyphEditorProc = font::GlyphEditorProc;

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
