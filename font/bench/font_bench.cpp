// font_bench [ROUNDS]: the glyph editor of the font editor dialog, on the screen
// under Wine. Times, in milliseconds, from a dot press to the press painted
// (the dialog's handling of the change included), and a full repaint of a
// 12 x 24 glyph at the dialog's size. Medians and the slowest of the rounds.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "res/resource.h"
#include "app/control_classes.h"
#include "font/font_editor_dialog.h"
#include "font/glyph_editor_control.h"
#include "testing/message_pump.h"
#include "testing/stopwatch.h"

namespace {

using tq350::bench::now_ms;
using tq350::test::pump_messages;

// Everything invalid in the dialog painted, the glyph editor and the preview
// included, and the drawing handed to the display.
void paint_now(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %6.3f ms, slowest %6.3f ms (%zu rounds), goal below 16 ms\n", what,
                times[times.size() / 2], times.back(), times.size());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    if (!tq350::RegisterControlClasses(instance)) {
        std::fprintf(stderr, "font_bench: the control classes cannot be registered\n");
        return 1;
    }
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FONT_EDITOR), nullptr,
                                     tq350::font::FontEditorDialogProc, 0);
    if (!dialog) {
        std::fprintf(stderr, "font_bench: the font editor cannot be created\n");
        return 1;
    }
    ShowWindow(dialog, SW_SHOW);
    paint_now(dialog);
    pump_messages();
    HWND glyph = GetDlgItem(dialog, IDC_FONT_GLYPH);
    RECT client{};
    GetClientRect(glyph, &client);
    const int cell = std::min(client.right / 12, client.bottom / 24);

    // Half the dots inked, so that a repaint draws both kinds of cell.
    std::vector<unsigned char> rows(48);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = (i / 2) % 2 ? 0xAA : 0x55;
    SendMessageA(glyph, tq350::font::SDM_SETBITS, 2, reinterpret_cast<LPARAM>(rows.data()));
    paint_now(dialog);
    pump_messages();

    std::vector<double> presses, repaints;
    for (int i = 0; i < rounds; ++i) {
        const int column = i % 12;
        const int row = (i / 12) % 24;
        const double start = now_ms();
        SendMessageA(glyph, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2));
        paint_now(dialog);
        presses.push_back(now_ms() - start);
        pump_messages();
    }
    for (int i = 0; i < rounds; ++i) {
        const double start = now_ms();
        InvalidateRect(glyph, nullptr, FALSE);
        paint_now(dialog);
        repaints.push_back(now_ms() - start);
        pump_messages();
    }
    std::printf("glyph editor %ld x %ld px, cells of %d px\n", client.right, client.bottom, cell);
    report("dot press to painted (dialog's handling included):", presses);
    report("full repaint of a 12 x 24 glyph:", repaints);
    DestroyWindow(dialog);
    return 0;
}
