#include "app/tests/win_test_support.h"

#include <commdlg.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "app/main_dialog.h"
#include "app/settings_store.h"
#include "res/resource.h"

// The import slots through which this executable's code calls these functions.
extern "C" {
extern decltype(&DeleteObject) __imp_DeleteObject;
extern decltype(&LoadMenuA) __imp_LoadMenuA;
}

namespace tq350::test {

namespace {

std::vector<UINT> g_beeps;
BeepHandler g_previous_beep = nullptr;

ModalAnswerer* g_answerer = nullptr;
HHOOK g_hook = nullptr;
int g_button = IDOK;
std::vector<ModalAnswerer::Seen> g_seen;

std::string window_text(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

LRESULT CALLBACK cbt_hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && g_answerer) {
        HWND window = reinterpret_cast<HWND>(wparam);
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        bool known = false;
        for (const ModalAnswerer::Seen& seen : g_seen)
            known = known || seen.window == window;
        // Activated again when focus returns to it: answer each window once.
        // Message boxes and modal dialogs have an owner; the main dialog has none.
        // Without on_open only message boxes (those with a text control) are answered,
        // so that a test can keep a tool dialog of its own open.
        const bool message_box = GetDlgItem(window, 0xFFFF) != nullptr;
        if (std::string(cls) == "#32770" && !known && GetWindow(window, GW_OWNER) &&
            (message_box || g_answerer->on_open)) {
            ModalAnswerer::Seen seen{window_text(window), "", GetWindow(window, GW_OWNER), window};
            if (HWND text = GetDlgItem(window, 0xFFFF))
                seen.text = window_text(text);
            g_seen.push_back(seen);
            if (g_answerer->on_open)
                g_answerer->on_open(window);
            else
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(g_button, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

} // namespace

BeepRecorder::BeepRecorder() {
    g_beeps.clear();
    g_previous_beep = g_beep_handler;
    g_beep_handler = [](UINT type) { g_beeps.push_back(type); };
}

BeepRecorder::~BeepRecorder() {
    g_beep_handler = g_previous_beep;
}

const std::vector<UINT>& BeepRecorder::beeps() const {
    return g_beeps;
}

void BeepRecorder::clear() {
    g_beeps.clear();
}

ModalAnswerer::ModalAnswerer(int button) {
    g_answerer = this;
    g_button = button;
    g_seen.clear();
    g_hook = SetWindowsHookExA(WH_CBT, cbt_hook, nullptr, GetCurrentThreadId());
}

ModalAnswerer::~ModalAnswerer() {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_answerer = nullptr;
}

const std::vector<ModalAnswerer::Seen>& ModalAnswerer::seen() const {
    return g_seen;
}

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\TQ350 tests\\" + name) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path_.c_str(), &key) == ERROR_SUCCESS)
        RegCloseKey(key);
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

void set_string_value(HKEY key, const char* name, const std::string& data, DWORD type) {
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

namespace {

// One entry of the GDI handle table: 24 bytes on 64-bit, 0x10000 entries.
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint8_t ext_type; // low 7 bits the type, top bit the stock flag
    std::uint8_t generation;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr int kHandleTableEntries = 0x10000;
constexpr std::uint8_t kStockFlag = 0x80;
// Wine's type number for bitmaps in the table.
constexpr std::uint8_t kBitmapType = 0x09;
// GdiSharedHandleTable in the 64-bit process environment block.
constexpr std::size_t kHandleTableOffset = 0xF8;

// Objects of one type (any type for -1), or -1 where there is no table.
int count_gdi_entries(int type) {
    // The process environment block's address is at gs:0x60 on 64-bit.
    const char* peb = nullptr;
    asm("mov %%gs:0x60, %0" : "=r"(peb));
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kHandleTableOffset);
    if (!table)
        return -1;
    int count = 0;
    for (int i = 0; i < kHandleTableEntries; ++i) {
        const GdiHandleEntry& e = table[i];
        if (e.type != 0 && !(e.ext_type & kStockFlag) && (type < 0 || e.type == type))
            ++count;
    }
    return count;
}

BOOL CALLBACK count_window(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK count_window_and_children(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, count_window, count);
    return TRUE;
}

// What the recording imports have seen, and the functions they stand for.
struct {
    std::size_t deletes = 0;
    int stale_deletes = 0;
    std::vector<HMENU> menus; // alive while IsMenu says so
} g_recorded;
struct {
    decltype(&DeleteObject) delete_object;
    decltype(&LoadMenuA) load_menu;
} g_real{};

BOOL WINAPI recording_delete_object(HGDIOBJ object) {
    if (object) {
        if (GetObjectType(object) == 0)
            ++g_recorded.stale_deletes;
        ++g_recorded.deletes;
    }
    return g_real.delete_object(object);
}

HMENU WINAPI recording_load_menu(HINSTANCE instance, LPCSTR name) {
    const HMENU menu = g_real.load_menu(instance, name);
    if (menu)
        g_recorded.menus.push_back(menu);
    return menu;
}

template <typename Function> void replace_import(Function& slot, Function hook, Function& real) {
    DWORD protection = 0;
    if (!VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &protection))
        return;
    real = slot;
    slot = hook;
    VirtualProtect(&slot, sizeof slot, protection, &protection);
}

int live_menus() {
    return static_cast<int>(std::count_if(g_recorded.menus.begin(), g_recorded.menus.end(),
                                          [](HMENU menu) { return IsMenu(menu) != FALSE; }));
}

} // namespace

std::ostream& operator<<(std::ostream& out, const GuiObjects& objects) {
    return out << objects.gdi_objects << " GDI objects (" << objects.bitmaps << " bitmaps), "
               << objects.windows << " windows, " << objects.menus << " menus";
}

GuiObjects count_gui_objects() {
    GuiObjects objects{count_gdi_entries(-1), count_gdi_entries(kBitmapType), 0, live_menus()};
    EnumThreadWindows(GetCurrentThreadId(), count_window_and_children,
                      reinterpret_cast<LPARAM>(&objects.windows));
    return objects;
}

void install_gui_object_hooks() {
    if (g_real.delete_object)
        return;
    replace_import(__imp_DeleteObject, recording_delete_object, g_real.delete_object);
    replace_import(__imp_LoadMenuA, recording_load_menu, g_real.load_menu);
}

namespace {

INT_PTR CALLBACK bare_dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// Wine and the common controls make some objects at their first use and keep
// them for the life of the process: the device contexts of the window DC
// cache (64 of them), system icons, cursors and colour brushes, the pictures
// of check boxes, scroll-bar arrows and menus. Made here once, before the
// first count, so that a count moves only for what a test leaves behind.
void make_process_caches() {
    std::vector<HDC> cached(64);
    for (HDC& dc : cached)
        dc = GetDC(nullptr);
    for (HDC dc : cached)
        ReleaseDC(nullptr, dc);
    for (LPCSTR icon : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK})
        LoadIconA(nullptr, icon);
    for (LPCSTR cursor : {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZEALL, IDC_SIZENWSE,
                          IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, IDC_APPSTARTING, IDC_NO})
        LoadCursorA(nullptr, cursor);
    for (int colour = 0; colour <= COLOR_MENUBAR; ++colour)
        GetSysColorBrush(colour);
    if (HWND scrolled = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                                      0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr)) {
        UpdateWindow(scrolled);
        DestroyWindow(scrolled);
    }
    // Every dialog of the program shown once with all its controls painted;
    // the main dialog with its own procedure (menu, icon, check-box lists,
    // both states), its settings and ports in a scratch key.
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const ScratchKey scratch("first use");
    const RegistryLocation saved_settings = g_settings_location;
    const RegistryLocation saved_ports = g_serial_port_location;
    g_settings_location = g_serial_port_location = {HKEY_CURRENT_USER, scratch.path().c_str()};
    RegSetKeyValueA(HKEY_CURRENT_USER, scratch.path().c_str(), "\\Device\\Serial0", REG_SZ, "COM1",
                    sizeof "COM1");
    const BeepRecorder quiet;
    for (int id :
         {IDD_MAIN, IDD_FONT_EDITOR, IDD_LOGO, IDD_MAGSTRIPE, IDD_BARCODE, IDD_BLUETOOTH}) {
        HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(id), nullptr,
                                         id == IDD_MAIN ? MainDialogProc : bare_dialog_proc, 0);
        if (!dialog)
            continue; // a suite without the program's resources
        ShowWindow(dialog, SW_SHOWNA);
        UpdateWindow(dialog);
        if (id == IDD_MAIN) {
            SetConnectedState(dialog, true);
            UpdateWindow(dialog);
            SetConnectedState(dialog, false);
        }
        pump_messages();
        DestroyWindow(dialog);
    }
    pump_messages();
    g_settings_location = saved_settings;
    g_serial_port_location = saved_ports;
}

void make_process_caches_once() {
    static const bool made = (make_process_caches(), true);
    (void)made;
}

HHOOK g_cancel_hook = nullptr;
HWND g_dialog_to_cancel = nullptr;

void CALLBACK cancel_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageA(g_dialog_to_cancel, WM_COMMAND, IDCANCEL, 0);
}

// Cancelled once it has painted its files: a timer comes after the painting.
LRESULT CALLBACK cancel_once_shown(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && !g_dialog_to_cancel) {
        g_dialog_to_cancel = reinterpret_cast<HWND>(wparam);
        SetTimer(nullptr, 0, 0, cancel_dialog);
    }
    return CallNextHookEx(g_cancel_hook, code, wparam, lparam);
}

} // namespace

void make_file_dialog_caches() {
    static bool made = false;
    if (made)
        return;
    made = true;
    g_cancel_hook = SetWindowsHookExA(WH_CBT, cancel_once_shown, nullptr, GetCurrentThreadId());
    for (auto* ask : {GetOpenFileNameA, GetSaveFileNameA}) {
        g_dialog_to_cancel = nullptr;
        char name[MAX_PATH] = {};
        OPENFILENAMEA request{};
        request.lStructSize = sizeof request;
        request.lpstrFilter = "All files\0*.*\0";
        request.lpstrFile = name;
        request.nMaxFile = sizeof name;
        request.Flags = OFN_EXPLORER;
        ask(&request);
    }
    UnhookWindowsHookEx(g_cancel_hook);
    g_cancel_hook = nullptr;
    pump_messages();
}

GuiObjectWatch::GuiObjectWatch()
    : start_((make_process_caches_once(), count_gui_objects())),
      deletes_at_start_(g_recorded.deletes), stale_deletes_at_start_(g_recorded.stale_deletes) {}

void GuiObjectWatch::expect_none_left(const std::string& where) const {
    const GuiObjects now = count_gui_objects();
    const auto grew = [](int before, int after) { return after > before; };
    EXPECT_FALSE(grew(start_.gdi_objects, now.gdi_objects) || grew(start_.bitmaps, now.bitmaps) ||
                 grew(start_.windows, now.windows) || grew(start_.menus, now.menus))
        << where << (where.empty() ? "" : ": ") << "left " << now << "; started with " << start_;
    EXPECT_EQ(g_recorded.stale_deletes - stale_deletes_at_start_, 0)
        << where << (where.empty() ? "" : ": ") << "DeleteObject on a handle already deleted";
}

std::size_t GuiObjectWatch::deletes() const {
    return g_recorded.deletes - deletes_at_start_;
}

namespace {

std::int64_t heap_bytes_in_use() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    std::int64_t total = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

} // namespace

bool leaves_heaps_as_found(const std::function<void()>& operation, int tries) {
    for (int run = 0; run < tries; ++run) {
        const std::int64_t before = heap_bytes_in_use();
        operation();
        if (heap_bytes_in_use() <= before)
            return true;
    }
    return false;
}

namespace {

PROCESS_MEMORY_COUNTERS memory_counters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

} // namespace

MemoryPeak::MemoryPeak() : start_(static_cast<std::int64_t>(memory_counters().WorkingSetSize)) {}

std::int64_t MemoryPeak::growth() const {
    return static_cast<std::int64_t>(memory_counters().PeakWorkingSetSize) - start_;
}

} // namespace tq350::test
