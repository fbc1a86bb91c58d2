#include "font/glyph_editor_control.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <span>

#include "font/glyph_core.h"
#include "win32/handles.h"

namespace tq350::font {

namespace {

// The off-screen copy of the client area: a bitmap selected into a memory DC,
// deselected before either goes.
struct Surface {
    Surface(HDC screen, int width, int height)
        : dc(screen), bitmap(CreateCompatibleBitmap(screen, width, height)),
          selection(dc.get(), bitmap.get()) {}
    MemoryDc dc;
    OwnedBitmap bitmap;
    Selection selection;
};

// Everything belongs to the class: the program shows one glyph editor at a time,
// and the glyphs outlive its window.
struct ControlState {
    GlyphEditor editor;
    RECT client{};
    // The off-screen copy of the client area. Cells are drawn into it and only the
    // invalid part is copied to the screen, so a press repaints one cell without
    // flicker. Without it (GDI out of resources) cells go straight to the screen.
    std::optional<Surface> surface;
};

ControlState& control() {
    static ControlState state;
    return state;
}

RECT to_rect(const PixelRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

void notify_parent(HWND window) {
    NMHDR header{};
    header.hwndFrom = window;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
    header.code = 0;
    SendMessageA(GetParent(window), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

HDC surface_dc() {
    const ControlState& s = control();
    return s.surface ? s.surface->dc.get() : nullptr;
}

LRESULT on_create(const CREATESTRUCTA& create) {
    ControlState& s = control();
    s.surface.reset();
    s.client = RECT{0, 0, create.cx, create.cy};
    s.editor.attach_window(create.cx, create.cy);
    {
        const ScreenDc screen;
        s.surface.emplace(screen.get(), std::max(1, create.cx), std::max(1, create.cy));
    }
    if (!s.surface->dc || !s.surface->bitmap || !s.surface->selection) {
        s.surface.reset();
        return 0;
    }
    // A new bitmap holds no defined pixels; the part below the grid must be white
    // even if the first paint comes before the first erase.
    FillRect(surface_dc(), &s.client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 0;
}

// Inked dots are black squares framed white, blank dots white framed black. All
// cells of one kind are drawn with one pen and brush selection.
void draw_cells(HDC dc, const RECT& area) {
    const GlyphEditor& editor = control().editor;
    const Glyph& glyph = editor.working();
    const int c = editor.cell_size();
    const int first_column = std::max(0, static_cast<int>(area.left) / c);
    const int last_column = std::min(glyph.width() - 1, static_cast<int>(area.right - 1) / c);
    const int first_row = std::max(0, static_cast<int>(area.top) / c);
    const int last_row = std::min(glyph.height() - 1, static_cast<int>(area.bottom - 1) / c);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(WHITE_PEN));
    for (const bool inked : {true, false}) {
        SelectObject(dc, GetStockObject(inked ? BLACK_BRUSH : WHITE_BRUSH));
        SelectObject(dc, GetStockObject(inked ? WHITE_PEN : BLACK_PEN));
        for (int y = first_row; y <= last_row; ++y)
            for (int x = first_column; x <= last_column; ++x)
                if (glyph.dot(x, y) == inked)
                    Rectangle(dc, x * c, y * c, (x + 1) * c, (y + 1) * c);
    }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
}

// wParam of WM_PAINT may name a device context to paint into (as for printing);
// then there is no paint cycle to begin or end.
LRESULT on_paint(HWND window, HDC given) {
    ControlState& s = control();
    if (!s.editor.has_grid())
        return DefWindowProcA(window, WM_PAINT, reinterpret_cast<WPARAM>(given), 0);
    PAINTSTRUCT paint{};
    HDC target = given ? given : BeginPaint(window, &paint);
    RECT area = given ? RECT{} : paint.rcPaint;
    if (IsRectEmpty(&area))
        GetClipBox(target, &area);
    IntersectRect(&area, &area, &s.client);
    if (!IsRectEmpty(&area)) {
        if (HDC surface = surface_dc()) {
            draw_cells(surface, area);
            BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   surface, area.left, area.top, SRCCOPY);
        } else {
            draw_cells(target, area);
        }
    }
    if (!given)
        EndPaint(window, &paint);
    return 0;
}

LRESULT on_erase_background(HDC dc) {
    ControlState& s = control();
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (HDC surface = surface_dc()) {
        FillRect(surface, &s.client, white);
        BitBlt(dc, 0, 0, s.client.right, s.client.bottom, surface, 0, 0, SRCCOPY);
    } else {
        FillRect(dc, &s.client, white);
    }
    return 1;
}

bool on_grid(int x, int y) {
    const GlyphEditor& editor = control().editor;
    const int c = editor.cell_size();
    return editor.has_grid() && x >= 0 && y >= 0 && x < c * editor.working().width() &&
           y < c * editor.working().height();
}

// The class has no cursor of its own: a cross over the cells says "click a dot".
LRESULT on_set_cursor(HWND window, WPARAM wparam, LPARAM lparam) {
    if (LOWORD(lparam) != HTCLIENT)
        return DefWindowProcA(window, WM_SETCURSOR, wparam, lparam);
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window, &point);
    SetCursor(LoadCursorA(nullptr, on_grid(point.x, point.y) ? IDC_CROSS : IDC_ARROW));
    return TRUE;
}

LRESULT on_press(HWND window, LPARAM lparam) {
    const std::optional<PixelRect> cell =
        control().editor.press(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
    if (!cell)
        return DefWindowProcA(window, WM_LBUTTONDOWN, MK_LBUTTON, lparam);
    const RECT r = to_rect(*cell);
    InvalidateRect(window, &r, FALSE);
    notify_parent(window);
    return 0;
}

LRESULT on_set_size(HWND window, LPARAM lparam) {
    GlyphEditor& editor = control().editor;
    bool size_changed = false;
    try {
        size_changed = editor.set_size(LOWORD(lparam), HIWORD(lparam));
    } catch (const std::bad_alloc&) {
        // No glyph at all rather than one of the wrong size: the parent must not
        // take the old dots for the new character.
        editor.set_size(0, 0);
        InvalidateRect(window, nullptr, TRUE);
        return 1;
    }
    InvalidateRect(window, nullptr, size_changed);
    notify_parent(window);
    return 0;
}

// The buffer holds height rows of the given pitch, as the sender promises.
std::size_t rows_buffer_size(WPARAM wparam) {
    return static_cast<std::size_t>(LOWORD(wparam)) *
           static_cast<std::size_t>(control().editor.working().height());
}

Polarity polarity_of(WPARAM wparam) {
    return HIWORD(wparam) ? Polarity::blank_is_one : Polarity::ink_is_one;
}

LRESULT on_get_bits(WPARAM wparam, LPARAM lparam) {
    auto* rows = reinterpret_cast<std::uint8_t*>(lparam);
    if (rows)
        control().editor.get_bits(std::span(rows, rows_buffer_size(wparam)), LOWORD(wparam),
                                  polarity_of(wparam));
    return 0;
}

LRESULT on_set_bits(HWND window, WPARAM wparam, LPARAM lparam) {
    const auto* rows = reinterpret_cast<const std::uint8_t*>(lparam);
    if (rows)
        control().editor.set_bits(std::span(rows, rows_buffer_size(wparam)), LOWORD(wparam),
                                  polarity_of(wparam));
    InvalidateRect(window, nullptr, FALSE);
    notify_parent(window);
    return 0;
}

// Top-down, so that row 0 of the bits is the glyph's top row; colour 0 black.
HBITMAP make_preview_bitmap() {
    const Glyph& glyph = control().editor.working();
    if (!glyph.has_storage())
        return nullptr;
    const std::size_t pitch = dib_row_pitch(glyph.width());
    const std::size_t size = pitch * static_cast<std::size_t>(glyph.height());
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = glyph.width();
    info.header.biHeight = -glyph.height();
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = static_cast<DWORD>(size);
    info.header.biClrUsed = 2;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    if (dib && !bits) {
        DeleteObject(dib);
        return nullptr;
    }
    if (dib) {
        const std::span<std::uint8_t> out(static_cast<std::uint8_t*>(bits), size);
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        glyph.pack(out, pitch, Polarity::blank_is_one);
    }
    return dib;
}

// The whole-glyph edits; without a grid they are not the control's messages.
LRESULT on_edit(HWND window, UINT message, bool (GlyphEditor::*edit)()) {
    if (!(control().editor.*edit)())
        return DefWindowProcA(window, message, 0, 0);
    InvalidateRect(window, nullptr, FALSE);
    notify_parent(window);
    return 0;
}

LRESULT dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    GlyphEditor& editor = control().editor;
    switch (message) {
    case WM_CREATE:
        return on_create(*reinterpret_cast<const CREATESTRUCTA*>(lparam));
    case WM_DESTROY:
        control().surface.reset();
        return DefWindowProcA(window, message, wparam, lparam);
    case WM_PAINT:
        return on_paint(window, reinterpret_cast<HDC>(wparam));
    case WM_ERASEBKGND:
        return on_erase_background(reinterpret_cast<HDC>(wparam));
    case WM_SETCURSOR:
        return on_set_cursor(window, wparam, lparam);
    case WM_LBUTTONDOWN:
        return on_press(window, lparam);
    case SDM_SETSIZE:
        return on_set_size(window, lparam);
    case SDM_GETBITS:
        return on_get_bits(wparam, lparam);
    case SDM_SETBITS:
        return on_set_bits(window, wparam, lparam);
    case SDM_GETDIB:
        return reinterpret_cast<LRESULT>(make_preview_bitmap());
    case SDM_CLEAR:
        return on_edit(window, message, &GlyphEditor::clear);
    case SDM_FILL:
        return on_edit(window, message, &GlyphEditor::fill);
    case SDM_REVERT:
        return on_edit(window, message, &GlyphEditor::revert);
    case SDM_INVERT:
        return on_edit(window, message, &GlyphEditor::invert);
    case SDM_BOX:
        return on_edit(window, message, &GlyphEditor::box);
    case SDM_COMMIT:
        if (!editor.commit())
            return DefWindowProcA(window, message, wparam, lparam);
        return 0;
    case SDM_ISMODIFIED:
        if (!editor.has_grid())
            return DefWindowProcA(window, message, wparam, lparam);
        return editor.is_modified() ? 1 : 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

LRESULT CALLBACK GlyphEditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Revert and commit copy a glyph; an exception must not unwind into the system.
    try {
        return dispatch(window, message, wparam, lparam);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

} // namespace tq350::font
