#include "tools/magstripe_dialog.h"

#include <array>
#include <optional>
#include <string>

#include "res/resource.h"
#include "tools/magstripe_core.h"
#include "win32/handles.h"
#include "win32/printer_exchange.h"

namespace tq350::tools {

namespace {

constexpr std::array<int, track_count> kTrackBoxes{IDC_MAGSTRIPE_TRACK1, IDC_MAGSTRIPE_TRACK2,
                                                   IDC_MAGSTRIPE_TRACK3};
constexpr std::array<int, track_count> kTrackTexts{IDC_MAGSTRIPE_TEXT1, IDC_MAGSTRIPE_TEXT2,
                                                   IDC_MAGSTRIPE_TEXT3};

TrackSelection read_selection(HWND dialog) {
    TrackSelection selection{};
    for (size_t k = 0; k < track_count; ++k)
        selection[k] = IsDlgButtonChecked(dialog, kTrackBoxes[k]) == BST_CHECKED;
    return selection;
}

void show_tracks(HWND dialog, const TrackTexts& tracks) {
    for (size_t k = 0; k < track_count; ++k)
        SetDlgItemTextA(dialog, kTrackTexts[k], tracks[k].c_str());
}

void show_message(HWND dialog, ReadMessage message) {
    if (message == ReadMessage::none)
        return;
    MessageBoxA(dialog, std::string(message_text(message)).c_str(),
                std::string(message_caption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void on_read(HWND dialog) {
    show_tracks(dialog, TrackTexts{});
    const auto& open_line =
        *reinterpret_cast<const link::PrinterLineOpener*>(GetWindowLongPtrA(dialog, DWLP_USER));
    std::optional<TrackReadResult> result;
    {
        BlockingExchange exchange;
        if (std::unique_ptr<link::PrinterLine> line = open_line()) {
            WaitCursor wait;
            result = read_tracks(*line, read_selection(dialog));
            line.reset();
        }
    }
    if (!result) {
        show_message(dialog, finish_track_read(TrackExchange{}).message);
        return;
    }
    WaitCursor wait;
    show_tracks(dialog, result->tracks);
    show_message(dialog, result->message);
}

} // namespace

INT_PTR CALLBACK MagstripeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if ((id == IDC_MAGSTRIPE_TRACK1 || id == IDC_MAGSTRIPE_TRACK2 ||
             id == IDC_MAGSTRIPE_TRACK3) &&
            code == BN_CLICKED) {
            EnableWindow(GetDlgItem(dialog, IDOK), can_read_tracks(read_selection(dialog)));
            return TRUE;
        }
        if (id == IDOK) {
            on_read(dialog); // stays open for the next card
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void RunMagstripeDialog(HWND main_dialog, const link::PrinterLineOpener& open_line) {
    HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main_dialog, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAGSTRIPE), main_dialog, MagstripeDialogProc,
                    reinterpret_cast<LPARAM>(&open_line));
}

} // namespace tq350::tools
