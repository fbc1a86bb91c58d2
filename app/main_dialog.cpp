#include "app/main_dialog.h"

#include <commctrl.h>

#include <array>
#include <cstdio>

#include "app/chosen_port.h"
#include "app/parameter_write.h"
#include "app/printer_commands.h"
#include "app/printer_info.h"
#include "app/selection_lists.h"
#include "app/settings_store.h"
#include "font/font_editor_dialog.h"
#include "logo/logo_download.h"
#include "res/resource.h"
#include "tools/barcode_dialog.h"
#include "tools/magstripe_dialog.h"
#include "win32/handles.h"

namespace tq350 {

const UINT g_activation_message = RegisterWindowMessageA("Printer Settings");

namespace {

// Controls that only make sense with a printer, in the order they are switched.
// Port, speed, "Connect & Get", the auto-off edit and Cancel stay usable.
constexpr std::array<int, 15> kPrinterControls{
    IDC_CONNECT_SET,     IDC_PRINTER_NAME,   IDC_STATUS,        IDC_VOLTAGE,       IDC_TEMPERATURE,
    IDC_CAPABILITIES,    IDC_SWITCHES,       IDC_DENSITY,       IDC_AUTO_OFF_SPIN, IDC_BLACK_MARK,
    IDC_IRDA_MAX_115200, IDC_IRDA_MAX_57600, IDC_IRDA_RELIABLE, IDC_IRDA_RAW,      IDOK,
};

constexpr int kRawIrdaSwitchItem = 6;

constexpr const char* kAboutText = "TQ-350 Configuration utility\r"
                                   "Version 1.29\r"
                                   "Set-up of TQ-350 thermal receipt printers";

void show_about_box(HWND dialog) {
    MessageBoxA(dialog, kAboutText, kMessageCaption, MB_OK | MB_ICONINFORMATION);
}

void init_list_view(HWND dialog, int id, int first_string, int count) {
    HWND list = GetDlgItem(dialog, id);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    RECT outer{};
    GetWindowRect(list, &outer);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = (outer.right - outer.left) - GetSystemMetrics(SM_CXVSCROLL) - 5;
    // Otherwise the column, the check boxes and every insert and check resize the
    // scroll bar and the hidden header again: a round trip to the window server
    // each, several times over, before the window can show.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < count; ++i) {
        char text[1024];
        snprintf(text, sizeof text, "%s", LoadResString(instance, first_string + i));
        if (text[0] == '\0')
            snprintf(text, sizeof text, LoadResString(instance, IDS_SWITCH_NOT_USED), i + 1);
        // Inserted unchecked, rather than checked off afterwards with a change
        // notification for each row.
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = i;
        item.state = INDEXTOSTATEIMAGEMASK(1);
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.pszText = text;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    // A list measures its rows on its first paint and then sets its scroll bar, which
    // paints it again, twice over. Painted once into a scratch DC while its redrawing is
    // still off, it measures without touching the scroll bar; turning redrawing back on
    // then sets the scroll bar once, and the window shows in one paint.
    {
        MemoryDc scratch(nullptr);
        SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(scratch.get()), PRF_CLIENT);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

// The template gives both lists shared image lists, so a list does not destroy
// the check-box images it made itself for LVS_EX_CHECKBOXES: they are ours.
void release_check_box_images(HWND dialog) {
    for (int id : {IDC_CAPABILITIES, IDC_SWITCHES})
        if (HIMAGELIST images = ListView_SetImageList(GetDlgItem(dialog, id), nullptr, LVSIL_STATE))
            ImageList_Destroy(images);
}

// The hidden window's menu bar is drawn when the window shows.
void switch_printer_menu(HWND dialog, bool connected) {
    if (HMENU menu = GetMenu(dialog)) {
        EnableMenuItem(menu, 0, MF_BYPOSITION | (connected ? MF_ENABLED : MF_GRAYED));
        if (IsWindowVisible(dialog))
            DrawMenuBar(dialog);
    }
}

// The disconnected state the window starts in. The template creates the printer
// controls disabled already, and finding each one is a round trip to the window
// server: what is left is the warning beep and the grayed menu.
void start_disconnected(HWND dialog) {
    Beep(MB_ICONEXCLAMATION);
    switch_printer_menu(dialog, false);
}

void on_init_dialog(HWND dialog) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    if (HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU)))
        SetMenu(dialog, menu);
    start_disconnected(dialog);
    FillPortList(GetDlgItem(dialog, IDC_PORT));
    FillSpeedList(GetDlgItem(dialog, IDC_SPEED));
    if (HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PRINTER))) {
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    init_list_view(dialog, IDC_CAPABILITIES, IDS_CAPABILITY_FIRST, IDS_CAPABILITY_COUNT);
    init_list_view(dialog, IDC_SWITCHES, IDS_SWITCH_FIRST, IDS_SWITCH_COUNT);
    FillDensityList(GetDlgItem(dialog, IDC_DENSITY));
    HWND auto_off = GetDlgItem(dialog, IDC_AUTO_OFF_SPIN);
    SendMessageA(auto_off, UDM_SETRANGE, 0, MAKELPARAM(kAutoOffMaxMinutes, kAutoOffMinMinutes));
    SendMessageA(auto_off, UDM_SETPOS, 0, kAutoOffDefaultMinutes);
    CheckRadioPair(dialog, IDC_IRDA_MAX_115200, IDC_IRDA_MAX_115200);
    CheckRadioPair(dialog, IDC_IRDA_RELIABLE, IDC_IRDA_RELIABLE);
    g_main_dialog.settings_key.reset(OpenSettingsKey());
    if (g_main_dialog.settings_key)
        LoadSettings(g_main_dialog.settings_key.get(), dialog);
    if (HMENU system_menu = GetSystemMenu(dialog, FALSE)) {
        AppendMenuA(system_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(system_menu, MF_STRING, IDM_ABOUT, "Abo&ut...");
    }
}

void on_ok(HWND dialog) {
    if (g_main_dialog.settings_key)
        SaveSettings(g_main_dialog.settings_key.get(), dialog);
    g_main_dialog.settings_key.reset();
    PostQuitMessage(0);
}

void on_cancel() {
    g_main_dialog.settings_key.reset();
    PostQuitMessage(0);
}

INT_PTR on_command(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        if (code != BN_CLICKED)
            return FALSE;
        on_ok(dialog);
        return TRUE;
    case IDCANCEL:
        if (code != BN_CLICKED)
            return FALSE;
        on_cancel();
        return TRUE;
    case IDC_PORT:
        if (code != CBN_SELCHANGE)
            return FALSE;
        FillSpeedList(GetDlgItem(dialog, IDC_SPEED));
        SetConnectedState(dialog, false);
        return TRUE;
    case IDC_SPEED:
        if (code != CBN_SELCHANGE)
            return FALSE;
        SetConnectedState(dialog, false);
        return TRUE;
    case IDC_IRDA_RELIABLE:
    case IDC_IRDA_RAW:
        // Switch 7 and the protocol radios say the same thing; keep them equal.
        if (code == BN_CLICKED)
            SetListItemChecked(GetDlgItem(dialog, IDC_SWITCHES), kRawIrdaSwitchItem,
                               IsDlgButtonChecked(dialog, IDC_IRDA_RELIABLE) != BST_CHECKED);
        return FALSE;
    case IDC_CONNECT_GET:
        if (code != BN_CLICKED)
            return FALSE;
        ShowPrinterInfo(dialog);
        return TRUE;
    case IDC_CONNECT_SET:
        if (code != BN_CLICKED)
            return FALSE;
        WriteParametersAndRequery(dialog);
        return TRUE;
    case IDM_FONT_EDITOR:
        UpdateWindow(dialog);
        font::RunFontEditor(dialog, ChosenPortOpener(dialog));
        return TRUE;
    case IDM_LOGO_EDITOR:
        if (!logo::RunLogoDownload(dialog, ChosenPortOpener(dialog)))
            SetConnectedState(dialog, false);
        return TRUE;
    case IDM_MAGSTRIPE:
        UpdateWindow(dialog);
        tools::RunMagstripeDialog(dialog, ChosenPortOpener(dialog));
        return TRUE;
    case IDM_BARCODE:
        UpdateWindow(dialog);
        tools::RunBarcodeDialog(dialog, ChosenPortOpener(dialog));
        return TRUE;
    case IDM_ABOUT:
        show_about_box(dialog);
        return TRUE;
    default:
        return RunPrinterCommand(dialog, id) ? TRUE : FALSE;
    }
}

INT_PTR on_notify(HWND dialog, const NMHDR& header) {
    if (header.idFrom == IDC_CAPABILITIES && header.code == LVN_ITEMCHANGING &&
        g_main_dialog.settings_key && !g_main_dialog.updating) {
        // The capability list shows what the printer reports; the user cannot change it.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (header.idFrom == IDC_SWITCHES && header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && change.iItem == kRawIrdaSwitchItem) {
            bool raw = (change.uNewState & 0xFFFFF000u) == INDEXTOSTATEIMAGEMASK(2);
            CheckRadioPair(dialog, IDC_IRDA_RELIABLE, raw ? IDC_IRDA_RAW : IDC_IRDA_RELIABLE);
        }
    }
    return FALSE;
}

INT_PTR on_activation(HWND dialog, UINT message) {
    if (IsIconic(dialog))
        ShowWindow(dialog, SW_RESTORE);
    ShowWindow(dialog, SW_SHOW);
    // The main dialog itself, or the modal dialog open over it.
    HWND front = GetLastActivePopup(dialog);
    BringWindowToTop(front);
    SetForegroundWindow(front);
    // Set last: the messages sent by the calls above reset the dialog's result.
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, message);
    return message;
}

} // namespace

MainDialogState g_main_dialog;

void SetConnectedState(HWND dialog, bool connected) {
    if (!connected)
        Beep(MB_ICONEXCLAMATION);
    // Each change is a repaint and a round trip to the window server, so only what
    // differs is switched.
    for (int id : kPrinterControls) {
        HWND control = GetDlgItem(dialog, id);
        if (IsWindowEnabled(control) != connected)
            EnableWindow(control, connected);
    }
    switch_printer_menu(dialog, connected);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init_dialog(dialog);
        return FALSE;
    case WM_COMMAND:
        return on_command(dialog, LOWORD(wparam), HIWORD(wparam));
    case WM_NOTIFY:
        return on_notify(dialog, *reinterpret_cast<const NMHDR*>(lparam));
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) != IDM_ABOUT)
            return FALSE;
        show_about_box(dialog);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_DESTROY:
        // Normally closed by OK or Cancel already; this covers a window destroyed otherwise.
        g_main_dialog.settings_key.reset();
        release_check_box_images(dialog);
        return FALSE;
    default:
        if (message == g_activation_message && message != 0)
            return on_activation(dialog, message);
        return FALSE;
    }
}

} // namespace tq350
