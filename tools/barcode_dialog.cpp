#include "tools/barcode_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "link/exchanges.h"
#include "res/resource.h"
#include "tools/barcode_core.h"
#include "win32/handles.h"
#include "win32/printer_exchange.h"

namespace tq350::tools {

namespace {

template <typename Texts> void fill_list(HWND dialog, int id, const Texts& texts) {
    HWND list = GetDlgItem(dialog, id);
    for (const auto& text : texts)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(text).c_str()));
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

void set_range(HWND dialog, int id, const UpDownRange& range) {
    SendDlgItemMessageA(dialog, id, UDM_SETRANGE32, range.minimum, range.maximum);
    SendDlgItemMessageA(dialog, id, UDM_SETPOS, 0, range.initial);
}

void on_init_dialog(HWND dialog) {
    std::vector<std::string_view> symbologies;
    for (const Symbology& s : symbology_table)
        symbologies.push_back(s.text);
    fill_list(dialog, IDC_BARCODE_TYPE, symbologies);
    fill_list(dialog, IDC_BARCODE_TEXT_POSITION, text_position_texts);
    fill_list(dialog, IDC_BARCODE_TEXT_FONT, text_font_texts);
    set_range(dialog, IDC_BARCODE_WIDTH_SPIN, magnification_range);
    set_range(dialog, IDC_BARCODE_HEIGHT_SPIN, bar_height_range);
    SendDlgItemMessageA(dialog, IDC_BARCODE_DATA, EM_LIMITTEXT, max_barcode_data, 0);
}

BarcodeRequest read_controls(HWND dialog) {
    char data[256] = {};
    GetDlgItemTextA(dialog, IDC_BARCODE_DATA, data, sizeof data);
    BarcodeRequest request;
    request.data = data;
    request.symbology =
        static_cast<size_t>(SendDlgItemMessageA(dialog, IDC_BARCODE_TYPE, CB_GETCURSEL, 0, 0));
    // A number typed outside the range is reported as it is; its low byte is sent.
    request.magnification =
        LOWORD(SendDlgItemMessageA(dialog, IDC_BARCODE_WIDTH_SPIN, UDM_GETPOS, 0, 0));
    request.height = LOWORD(SendDlgItemMessageA(dialog, IDC_BARCODE_HEIGHT_SPIN, UDM_GETPOS, 0, 0));
    request.text_position = static_cast<TextPosition>(
        SendDlgItemMessageA(dialog, IDC_BARCODE_TEXT_POSITION, CB_GETCURSEL, 0, 0));
    request.text_font = static_cast<TextFont>(
        SendDlgItemMessageA(dialog, IDC_BARCODE_TEXT_FONT, CB_GETCURSEL, 0, 0));
    return request;
}

const link::PrinterLineOpener& line_opener(HWND dialog) {
    return *reinterpret_cast<const link::PrinterLineOpener*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void on_print(HWND dialog) {
    const std::vector<uint8_t> sequence = build_barcode_sequence(read_controls(dialog));
    if (sequence.empty())
        return; // no data: nothing to print
    bool written = false;
    {
        BlockingExchange exchange;
        if (std::unique_ptr<link::PrinterLine> line = line_opener(dialog)()) {
            WaitCursor wait;
            written = link::write_all(*line, sequence);
            line.reset();
        }
    }
    if (!written)
        ShowCommunicationError(dialog);
}

} // namespace

INT_PTR CALLBACK BarcodeDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        on_init_dialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            on_print(dialog); // stays open for the next barcode
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL && HIWORD(wparam) == BN_CLICKED) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void RunBarcodeDialog(HWND main_dialog, const link::PrinterLineOpener& open_line) {
    HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(main_dialog, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BARCODE), main_dialog, BarcodeDialogProc,
                    reinterpret_cast<LPARAM>(&open_line));
}

} // namespace tq350::tools
