#include "font/font_editor_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "font/font_download_core.h"
#include "font/font_editor_core.h"
#include "font/font_files.h"
#include "font/glyph_editor_control.h"
#include "res/resource.h"
#include "win32/handles.h"
#include "win32/messages.h"
#include "win32/printer_exchange.h"

namespace tq350::font {

namespace {

constexpr std::size_t kMaxRowsSize =
    std::max(font_geometry(FontKind::a).rows_size, font_geometry(FontKind::b).rows_size);

// The confirmation texts are short; the box shows at most this much of them.
constexpr int kMaxQuestionLength = 63;

constexpr char kFontFileFilter[] = "Font files (*.fnt)\0*.fnt\0";

// One font editor at a time; the record lives from WM_INITDIALOG to WM_DESTROY.
struct EditorState {
    FontEditorSession session;
    // False after SDM_SETSIZE could not allocate: the control then shows no glyph
    // (and sends no change notification) until a size is set again.
    bool control_holds_glyph = false;
    // The bitmap the preview shows. The preview never owns it; the dialog
    // deletes it once the preview shows another one, and at the end.
    OwnedBitmap preview;
};
std::optional<EditorState> g_editor;

LRESULT send_to_editor(HWND dialog, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendDlgItemMessageA(dialog, IDC_FONT_GLYPH, message, wparam, lparam);
}

bool confirm(HWND dialog, UINT question) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    char text[kMaxQuestionLength + 1];
    std::snprintf(text, sizeof text, "%s", LoadResString(instance, question));
    const int answer = MessageBoxA(dialog, text, kMessageCaption, MB_YESNO | MB_ICONQUESTION);
    // The box may have covered the glyph; show it again before doing anything slow.
    UpdateWindow(dialog);
    return answer == IDYES;
}

void show_font_choice(HWND dialog, FontKind kind) {
    CheckRadioButton(dialog, IDC_FONT_A, IDC_FONT_B, kind == FontKind::a ? IDC_FONT_A : IDC_FONT_B);
}

// The new bitmap is shown before the old one is deleted, so the preview never
// paints a deleted bitmap.
void replace_preview(HWND dialog, HBITMAP next) {
    SendDlgItemMessageA(dialog, IDC_FONT_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(next));
    g_editor->preview.reset(next);
}

// Every change in the control reaches the font table at once.
void on_glyph_changed(HWND dialog) {
    replace_preview(dialog, reinterpret_cast<HBITMAP>(send_to_editor(dialog, SDM_GETDIB)));
    FontEditorSession& session = g_editor->session;
    const FontGeometry& geometry = session.geometry();
    std::array<std::uint8_t, kMaxRowsSize> rows{};
    send_to_editor(dialog, SDM_GETBITS, geometry.bytes_per_row,
                   reinterpret_cast<LPARAM>(rows.data()));
    session.glyph_changed(std::span(rows.data(), geometry.rows_size));
}

// A blank glyph of the current font's size in the control.
bool blank_editor(HWND dialog) {
    g_editor->control_holds_glyph = true;
    if (send_to_editor(dialog, SDM_SETSIZE, 0, g_editor->session.geometry().set_size_arg) == 0)
        return true;
    g_editor->control_holds_glyph = false;
    replace_preview(dialog, nullptr);
    Beep(MB_ICONHAND);
    return false;
}

void show_character(HWND dialog, int code) {
    // A control left without a glyph gets its size back before the selection
    // moves, so that the change notification of SDM_SETSIZE concerns the
    // character shown so far and not the rows about to be shown.
    const bool sized = g_editor->control_holds_glyph || blank_editor(dialog);
    const GlyphToShow show = g_editor->session.select_character(code);
    if (!sized)
        return;
    if (!show.defined) {
        blank_editor(dialog);
        return;
    }
    send_to_editor(dialog, SDM_SETBITS, g_editor->session.geometry().bytes_per_row,
                   reinterpret_cast<LPARAM>(show.rows.data()));
    send_to_editor(dialog, SDM_COMMIT);
}

// After a reset or a load: the font's radio button, its size in the control,
// and code 32. LB_SETCURSEL raises no selection notification.
void show_session(HWND dialog) {
    show_font_choice(dialog, g_editor->session.kind());
    SendDlgItemMessageA(dialog, IDC_FONT_CODES, LB_SETCURSEL, 0, 0);
    if (blank_editor(dialog))
        show_character(dialog, first_code);
}

// The session is built aside and only then replaces the old one, so a failed
// allocation leaves the font as it was.
void start_session(HWND dialog, FontEditorSession next) {
    g_editor->session = std::move(next);
    show_session(dialog);
}

void reset_font(HWND dialog, FontKind kind) {
    FontEditorSession next;
    next.reset(kind);
    start_session(dialog, std::move(next));
}

void on_font_button(HWND dialog, FontKind kind) {
    const FontEditorSession& session = g_editor->session;
    if (kind == session.kind())
        return;
    // The radio button has moved its check mark already; put it back on the font
    // still shown when the user keeps it, or when the new font cannot be made.
    show_font_choice(dialog, session.kind());
    if (session.font_modified() && !confirm(dialog, IDS_FONT_DISCARD_FONT))
        return;
    reset_font(dialog, kind);
}

void on_new(HWND dialog) {
    if (g_editor->session.font_modified() && !confirm(dialog, IDS_FONT_DISCARD_FONT))
        return;
    reset_font(dialog, g_editor->session.kind());
}

void on_null(HWND dialog) {
    if (g_editor->session.symbol_modified() && !confirm(dialog, IDS_FONT_DISCARD_SYMBOL))
        return;
    send_to_editor(dialog, SDM_CLEAR);
    send_to_editor(dialog, SDM_COMMIT);
    g_editor->session.current_character_nulled();
}

void on_selection_change(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FONT_CODES);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return;
    show_character(dialog, static_cast<int>(SendMessageA(list, LB_GETITEMDATA, index, 0)));
}

// No initial folder and no default extension: a name typed without ".fnt" is
// used as typed.
bool ask_font_file(HWND dialog, bool saving, std::array<char, MAX_PATH>& name) {
    name.fill('\0');
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = kFontFileFilter;
    request.lpstrFile = name.data();
    request.nMaxFile = static_cast<DWORD>(name.size());
    if (saving) {
        request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
        return GetSaveFileNameA(&request) != FALSE;
    }
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&request) != FALSE;
}

void on_load(HWND dialog) {
    if (g_editor->session.font_modified() && !confirm(dialog, IDS_FONT_DISCARD_FONT))
        return;
    std::array<char, MAX_PATH> name;
    if (!ask_font_file(dialog, false, name))
        return;
    LoadResult loaded = ReadFontFile(name.data());
    if (loaded.status == LoadStatus::cannot_open)
        return;
    if (loaded.status != LoadStatus::loaded || !loaded.table) {
        Beep(MB_ICONHAND);
        return;
    }
    FontEditorSession next;
    next.load(std::move(*loaded.table));
    start_session(dialog, std::move(next));
}

void on_save(HWND dialog) {
    std::array<char, MAX_PATH> name;
    if (!ask_font_file(dialog, true, name))
        return;
    switch (SaveFontFile(name.data(), g_editor->session.table().bytes())) {
    case SaveStatus::saved:
        g_editor->session.font_saved();
        break;
    case SaveStatus::cannot_create:
        break;
    case SaveStatus::write_failed:
    case SaveStatus::cannot_replace:
        Beep(MB_ICONHAND);
        break;
    }
}

void on_download(HWND dialog) {
    DownloadChoices choices;
    choices.reset_first = confirm(dialog, IDS_FONT_RESET_FIRST);
    choices.test_print = confirm(dialog, IDS_FONT_PRINT_TEST);
    const std::vector<std::uint8_t> sequence =
        build_font_download(g_editor->session.table(), choices);
    if (sequence.empty()) {
        Beep(MB_ICONQUESTION);
        return;
    }
    // The sequence holds 0x00 bytes: always sent with its length.
    const auto& open_line =
        *reinterpret_cast<const link::PrinterLineOpener*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (SendCommandSequence(GetParent(dialog), open_line, sequence.data(), sequence.size()))
        g_editor->session.font_saved();
}

void on_close(HWND dialog, int button) {
    if (g_editor->session.font_modified() && !confirm(dialog, IDS_FONT_DISCARD_FONT))
        return;
    replace_preview(dialog, nullptr);
    EndDialog(dialog, button);
}

// The font and the last preview go with the dialog.
void release_editor(HWND dialog) {
    if (g_editor)
        replace_preview(dialog, nullptr);
    g_editor.reset();
}

void fill_code_list(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FONT_CODES);
    constexpr int kItemTextBytes = 10;
    SendMessageA(list, LB_INITSTORAGE, character_count, character_count * kItemTextBytes);
    for (int code = first_code; code <= last_code; ++code) {
        const LRESULT index = SendMessageA(
            list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(code_list_item_text(code).c_str()));
        SendMessageA(list, LB_SETITEMDATA, index, code);
    }
    // One tab stop half-way across the items: the character left, its number right.
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    int tab_stop = (item.right - item.left - GetSystemMetrics(SM_CXVSCROLL)) / 2;
    SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab_stop));
}

void on_init_dialog(HWND dialog) {
    g_editor.emplace();
    fill_code_list(dialog);
    show_session(dialog);
}

INT_PTR on_command(HWND dialog, int id, int code) {
    if (id == IDC_FONT_CODES) {
        if (code != LBN_SELCHANGE)
            return FALSE;
        on_selection_change(dialog);
        return TRUE;
    }
    if (code != BN_CLICKED)
        return FALSE;
    switch (id) {
    case IDOK:
    case IDCANCEL:
        on_close(dialog, id);
        return TRUE;
    case IDC_FONT_A:
        on_font_button(dialog, FontKind::a);
        return TRUE;
    case IDC_FONT_B:
        on_font_button(dialog, FontKind::b);
        return TRUE;
    case IDC_FONT_CLEAR:
        send_to_editor(dialog, SDM_CLEAR);
        return TRUE;
    case IDC_FONT_FILL:
        send_to_editor(dialog, SDM_FILL);
        return TRUE;
    case IDC_FONT_INVERT:
        send_to_editor(dialog, SDM_INVERT);
        return TRUE;
    case IDC_FONT_BOX:
        send_to_editor(dialog, SDM_BOX);
        return TRUE;
    case IDC_FONT_REVERT:
        send_to_editor(dialog, SDM_REVERT);
        return TRUE;
    case IDC_FONT_NULL:
        on_null(dialog);
        return TRUE;
    case IDC_FONT_LOAD:
        on_load(dialog);
        return TRUE;
    case IDC_FONT_SAVE:
        on_save(dialog);
        return TRUE;
    case IDC_FONT_NEW:
        on_new(dialog);
        return TRUE;
    case IDC_FONT_DOWNLOAD:
        on_download(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR dispatch(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        on_init_dialog(dialog);
        return FALSE;
    case WM_COMMAND:
        if (!g_editor)
            return FALSE;
        return on_command(dialog, LOWORD(wparam), HIWORD(wparam));
    case WM_NOTIFY:
        if (wparam != IDC_FONT_GLYPH || !g_editor)
            return FALSE;
        on_glyph_changed(dialog);
        return TRUE;
    case WM_DESTROY:
        release_editor(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK FontEditorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    // Every step that allocates builds its result aside before it replaces the
    // font, so a failed allocation only costs the step: the font and the dialog
    // stay as they were.
    try {
        return dispatch(dialog, message, wparam, lparam);
    } catch (const std::bad_alloc&) {
        Beep(MB_ICONHAND);
        if (message != WM_INITDIALOG)
            return TRUE;
        // Without its font the editor cannot open.
        release_editor(dialog);
        EndDialog(dialog, IDCANCEL);
        return FALSE;
    }
}

void RunFontEditor(HWND main_dialog, const link::PrinterLineOpener& open_line) {
    HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main_dialog, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FONT_EDITOR), main_dialog, FontEditorDialogProc,
                    reinterpret_cast<LPARAM>(&open_line));
}

} // namespace tq350::font
