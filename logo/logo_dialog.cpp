#include "logo/logo_dialog.h"

#include "logo/logo_conversion.h"
#include "logo/logo_conversion_core.h"
#include "logo/picture_loader.h"
#include "res/resource.h"
#include "win32/handles.h"

namespace tq350::logo {

namespace {

struct LogoDialogState {
    // The caller's variable; it holds the source picture while the dialog runs.
    HBITMAP* logo = nullptr;
    // The source picture as last examined.
    PictureDescription picture;
};
LogoDialogState g_dialog;

HBITMAP source_picture() {
    return g_dialog.logo ? *g_dialog.logo : nullptr;
}

bool is_checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void set_checked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled);
}

HBITMAP preview_image(HWND dialog) {
    return reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(dialog, IDC_LOGO_PREVIEW, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// Shows `next` and deletes the preview it replaces, unless that was the
// source picture (or is shown again): the control never deletes a bitmap.
void replace_preview(HWND dialog, HBITMAP next) {
    const auto previous = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(
        dialog, IDC_LOGO_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next)));
    if (previous && previous != source_picture() && previous != next)
        DeleteObject(previous);
}

void show_size(HWND dialog, int width, int height) {
    SetDlgItemInt(dialog, IDC_LOGO_WIDTH, static_cast<UINT>(width), TRUE);
    SetDlgItemInt(dialog, IDC_LOGO_HEIGHT, static_cast<UINT>(height), TRUE);
}

// Centring adds margins only up to the logo area, and only to a logo ready
// for download.
void enable_centring(HWND dialog, bool ready, int width, int height) {
    enable(dialog, IDC_LOGO_CENTER_HORIZONTAL, ready && width < static_cast<int>(logo_area_width));
    enable(dialog, IDC_LOGO_CENTER_VERTICAL, ready && height < static_cast<int>(logo_area_height));
}

// The check boxes for a new source picture:
//
//   picture                     "Preview B&W"            "Stretch size"      "Download"
//   1 bit, fits the logo area   checked, disabled        checked, disabled   enabled
//   1 bit, larger               checked, disabled        enabled             after Stretch
//   more bits, fits             gets the posted click    checked, disabled   after conversion
//   more bits, larger           gets the posted click    enabled             after both
//
// The click is posted so that the first conversion runs once the dialog is up.
void apply_picture_rules(HWND dialog, const PictureDescription& picture) {
    if (picture.is_one_bit()) {
        set_checked(dialog, IDC_LOGO_BLACK_WHITE, true);
        enable(dialog, IDC_LOGO_BLACK_WHITE, false);
    } else {
        enable(dialog, IDC_LOGO_BLACK_WHITE, true);
        PostMessageA(GetDlgItem(dialog, IDC_LOGO_BLACK_WHITE), BM_CLICK, 0, 0);
    }
    const bool fits = picture.width <= static_cast<int>(logo_area_width) &&
                      picture.height <= static_cast<int>(logo_area_height);
    set_checked(dialog, IDC_LOGO_STRETCH, fits);
    enable(dialog, IDC_LOGO_STRETCH, !fits);
    const bool ready =
        is_checked(dialog, IDC_LOGO_STRETCH) && is_checked(dialog, IDC_LOGO_BLACK_WHITE);
    enable(dialog, IDOK, ready);
    enable_centring(dialog, ready, picture.width, picture.height);
}

INT_PTR on_init_dialog(HWND dialog, LPARAM param) {
    g_dialog = {};
    g_dialog.logo = reinterpret_cast<HBITMAP*>(param);
    if (!source_picture() || !DescribeBitmap(source_picture(), g_dialog.picture))
        return TRUE;
    apply_picture_rules(dialog, g_dialog.picture);
    replace_preview(dialog, source_picture());
    show_size(dialog, g_dialog.picture.width, g_dialog.picture.height);
    SetDlgItemInt(dialog, IDC_LOGO_AREA_WIDTH, logo_area_width, TRUE);
    SetDlgItemInt(dialog, IDC_LOGO_AREA_HEIGHT, logo_area_height, TRUE);
    return FALSE;
}

// "Preview B&W" or "Stretch size for printer" changed: convert afresh from
// the source picture, so that switching back and forth never piles up losses.
void on_conversion_choice(HWND dialog) {
    const bool black_and_white = is_checked(dialog, IDC_LOGO_BLACK_WHITE);
    const bool stretch = is_checked(dialog, IDC_LOGO_STRETCH);
    PictureDescription picture;
    if (!DescribeBitmap(source_picture(), picture))
        return;
    Size target{static_cast<std::uint32_t>(picture.width),
                static_cast<std::uint32_t>(picture.height)};
    if (stretch)
        target = fit_into_logo_area(target.width, target.height);
    {
        WaitCursor wait;
        replace_preview(dialog, ConvertPicture(source_picture(), target, black_and_white));
    }
    show_size(dialog, static_cast<int>(target.width), static_cast<int>(target.height));
    const bool ready = black_and_white && stretch;
    enable(dialog, IDOK, ready);
    enable_centring(dialog, ready, static_cast<int>(target.width), static_cast<int>(target.height));
}

void on_load_other(HWND dialog) {
    const HBITMAP next = LoadPicture(dialog);
    PictureDescription picture;
    if (!next)
        return;
    if (!g_dialog.logo || !DescribeBitmap(next, picture)) {
        DeleteObject(next);
        return;
    }
    replace_preview(dialog, next);
    const HBITMAP previous_source = *g_dialog.logo;
    *g_dialog.logo = next;
    if (previous_source && previous_source != next)
        DeleteObject(previous_source);
    g_dialog.picture = picture;
    show_size(dialog, picture.width, picture.height);
    set_checked(dialog, IDC_LOGO_BLACK_WHITE, false);
    set_checked(dialog, IDC_LOGO_STRETCH, false);
    apply_picture_rules(dialog, picture);
}

// Leaves exactly one bitmap, the preview, in the caller's variable.
HBITMAP take_preview(HWND dialog) {
    const HBITMAP preview = preview_image(dialog);
    const HBITMAP source = source_picture();
    // The control must not paint a bitmap about to be deleted.
    SendDlgItemMessageA(dialog, IDC_LOGO_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP, 0);
    if (source && source != preview)
        DeleteObject(source);
    if (g_dialog.logo)
        *g_dialog.logo = preview;
    return preview;
}

void on_cancel(HWND dialog) {
    if (const HBITMAP preview = take_preview(dialog))
        DeleteObject(preview);
    if (g_dialog.logo)
        *g_dialog.logo = nullptr;
    EndDialog(dialog, IDCANCEL);
}

bool counts_as_checked(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) && is_checked(dialog, id);
}

void on_download(HWND dialog) {
    const HBITMAP logo = take_preview(dialog);
    PictureDescription description;
    if (!g_dialog.logo || !DescribeBitmap(logo, description) ||
        !GetDlgItem(dialog, IDC_LOGO_CENTER_HORIZONTAL) ||
        !GetDlgItem(dialog, IDC_LOGO_CENTER_VERTICAL)) {
        if (!g_dialog.logo && logo)
            DeleteObject(logo); // nobody to hand it to
        EndDialog(dialog, IDOK);
        return;
    }
    // A box checked while disabled (Stretch unchecked after it) adds no margin.
    const HBITMAP centred = CentreLogo(logo, counts_as_checked(dialog, IDC_LOGO_CENTER_HORIZONTAL),
                                       counts_as_checked(dialog, IDC_LOGO_CENTER_VERTICAL));
    if (centred != logo) {
        DeleteObject(logo);
        *g_dialog.logo = centred;
    }
    EndDialog(dialog, IDOK);
}

INT_PTR on_command(HWND dialog, int id, int code) {
    // Focus changes and double clicks of the notify-style check boxes do nothing.
    if (code != BN_CLICKED)
        return FALSE;
    switch (id) {
    case IDC_LOGO_BLACK_WHITE:
    case IDC_LOGO_STRETCH:
        on_conversion_choice(dialog);
        return TRUE;
    case IDC_LOGO_LOAD_OTHER:
        on_load_other(dialog);
        return TRUE;
    case IDOK:
        // Enter sends IDOK even while the default button is disabled, and a
        // colour preview or an unfitted picture is no logo to send.
        if (IsWindowEnabled(GetDlgItem(dialog, IDOK)))
            on_download(dialog);
        return TRUE;
    case IDCANCEL:
        on_cancel(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK LogoDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, lparam);
    case WM_COMMAND:
        return on_command(dialog, LOWORD(wparam), HIWORD(wparam));
    case WM_DESTROY:
        // Ended without Cancel or Download (its owner went): the preview is
        // ours to delete, the picture stays with the caller.
        replace_preview(dialog, nullptr);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace tq350::logo
