#include "win_test_support.h"

#include <cstdio>

#include "main_dialog.h"

namespace tq350::test {

bool pump_messages() {
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

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
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    if (key)
        RegCloseKey(key);
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

HKEY ScratchKey::open(REGSAM access) const {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, access, &key);
    return key;
}

void set_string_value(HKEY key, const char* name, const std::string& data, DWORD type) {
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

void set_dword_value(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace tq350::test
