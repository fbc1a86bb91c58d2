#include "link/tests/e2e_support.h"

#include <dlgs.h>

#include "res/resource.h"
#include "app/tests/process_windows.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tq350::e2e {

namespace {

constexpr const char* kTitle = "TQ-350 Setup Tool";
constexpr const char* kSettingsKey = "Software\\Halvik\\TQ-350 Printer Settings";

std::string field(const std::string& line, const std::string& key) {
    const std::string quoted = "\"" + key + "\":";
    size_t at = line.find(quoted);
    if (at == std::string::npos)
        return "";
    at += quoted.size();
    if (line[at] == '"') {
        size_t end = line.find('"', at + 1);
        return line.substr(at + 1, end - at - 1);
    }
    size_t end = line.find_first_of(",}", at);
    return line.substr(at, end - at);
}

long long file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

VirtualPrinter::VirtualPrinter(const std::string& name)
    : journal_path_(std::string(TQ350_SIM_DIR) + "/printer-" + name + ".journal"),
      control_path_(std::string(TQ350_SIM_DIR) + "/printer-" + name + ".control"),
      start_offset_(file_size(journal_path_)) {}

std::vector<JournalEntry> VirtualPrinter::entries() const {
    std::vector<JournalEntry> result;
    std::ifstream in(journal_path_, std::ios::binary);
    in.seekg(start_offset_);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.back() != '}')
            break; // a line still being written
        JournalEntry entry;
        entry.name = field(line, "name");
        entry.conn = atoi(field(line, "conn").c_str());
        const std::string since = field(line, "since_open");
        entry.since_open = since.empty() ? -1 : atof(since.c_str());
        entry.hex = field(line, "hex");
        entry.reply = field(line, "reply");
        entry.line = line;
        result.push_back(entry);
    }
    return result;
}

bool VirtualPrinter::wait_for(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                              DWORD timeout_ms) const {
    const std::string dir = TQ350_SIM_DIR;
    HANDLE change = FindFirstChangeNotificationA(
        dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    bool ok = false;
    for (;;) {
        if (done(entries())) {
            ok = true;
            break;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        // Woken by the journal growing; the bound only guards against a missed change.
        DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 250));
        if (change != INVALID_HANDLE_VALUE) {
            if (WaitForSingleObject(change, wait) == WAIT_OBJECT_0)
                FindNextChangeNotification(change);
        } else {
            Sleep(wait);
        }
    }
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    return ok;
}

bool VirtualPrinter::set_faults(const std::string& faults) {
    const size_t seen = entries().size();
    {
        std::ofstream out(control_path_, std::ios::binary | std::ios::trunc);
        out << faults << "\n";
    }
    return wait_for(
        [seen](const std::vector<JournalEntry>& all) {
            for (size_t i = seen; i < all.size(); ++i)
                if (all[i].name == "faults")
                    return true;
            return false;
        },
        10000);
}

int VirtualPrinter::closed_connections() const {
    int closed = 0;
    for (const JournalEntry& e : entries())
        closed += e.name == "close";
    return closed;
}

bool VirtualPrinter::wait_for_link(DWORD timeout_ms) const {
    VirtualPrinter whole = *this;
    whole.start_offset_ = 0;
    return whole.wait_for(
        [](const std::vector<JournalEntry>& all) {
            bool in_place = false;
            for (const JournalEntry& e : all) {
                if (e.name == "link")
                    in_place = true;
                else if (e.name == "link_removed")
                    in_place = false;
            }
            return in_place;
        },
        timeout_ms);
}

std::string connection_bytes(const std::vector<JournalEntry>& entries, int conn) {
    std::string all;
    for (const JournalEntry& e : entries) {
        if (e.conn != conn || e.hex.empty() || e.name == "noise")
            continue;
        if (!all.empty())
            all += ' ';
        all += e.hex;
    }
    return all;
}

void store_setting(const char* name, DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void delete_settings() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

DWORD stored_setting(const char* name, DWORD missing) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_REG_DWORD, &type, &value,
                     &size) != ERROR_SUCCESS)
        return missing;
    return value;
}

std::map<std::string, std::string> stored_settings() {
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        BYTE data[1024] = {};
        DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &name_size, nullptr, &type, data, &data_size) !=
            ERROR_SUCCESS)
            break;
        values[name] = std::to_string(type) + ":" +
                       std::string(reinterpret_cast<const char*>(data), data_size);
    }
    RegCloseKey(key);
    return values;
}

Program::Program() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = std::string("\"") + TQ350_EXE + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
        return;
    // Idle input: the main dialog is up and its message loop waits.
    WaitForInputIdle(process_.hProcess, 30000);
    // By process, not by caption alone: a test suite running beside this one may
    // have a main dialog of its own open.
    const std::vector<HWND> windows = test::visible_windows_of(process_.dwProcessId, kTitle);
    main_ = windows.empty() ? nullptr : windows.front();
}

Program::~Program() {
    if (process_.hProcess) {
        close_and_wait();
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

void Program::click(int id) const {
    PostMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0);
}

void Program::command(int id) const {
    PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool Program::select_port(const char* name) const {
    HWND ports = GetDlgItem(main_, IDC_PORT);
    const LRESULT index = SendMessageA(ports, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name));
    if (index == CB_ERR)
        return false;
    SendMessageA(ports, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDC_PORT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ports));
    return true;
}

bool Program::select_speed(int index) const {
    HWND speeds = GetDlgItem(main_, IDC_SPEED);
    if (SendMessageA(speeds, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR)
        return false;
    SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDC_SPEED, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(speeds));
    return true;
}

HWND Program::open_logo_dialog(const std::string& picture, DWORD timeout_ms) const {
    command(IDM_LOGO_EDITOR);
    HWND open = wait_for_popup("Open Picture File", timeout_ms);
    if (!open)
        return nullptr;
    SetDlgItemTextA(open, cmb13, picture.c_str());
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return wait_for_popup("Preview & download logo", timeout_ms);
}

bool Program::click_when_enabled(HWND dialog, int id, DWORD timeout_ms) const {
    HWND button = GetDlgItem(dialog, id);
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (!IsWindowEnabled(button)) {
        if (GetTickCount64() >= deadline)
            return false;
        sync();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool Program::wait_gone(HWND window, DWORD timeout_ms) const {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (IsWindow(window)) {
        if (GetTickCount64() >= deadline)
            return false;
        sync();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

HWND Program::find_popup(const char* caption) const {
    struct Search {
        HWND main;
        const char* caption;
        HWND found;
    } search{main_, caption, nullptr};
    DWORD thread = GetWindowThreadProcessId(main_, nullptr);
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char title[128] = {};
            GetWindowTextA(window, title, sizeof title);
            if (window != s->main && IsWindowVisible(window) && std::string(title) == s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::wait_for_popup(const char* caption, DWORD timeout_ms) const {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        sync();
        if (HWND popup = find_popup(caption))
            return popup;
        if (GetTickCount64() >= deadline)
            return nullptr;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::string Program::text(int id) const {
    char buffer[256] = {};
    GetDlgItemTextA(main_, id, buffer, sizeof buffer);
    return buffer;
}

bool Program::enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(main_, id)) != FALSE;
}

void Program::sync() const {
    DWORD_PTR result = 0;
    // Returns when the program's GUI thread gets to it: after a running exchange,
    // or from inside a message box's loop.
    SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &result);
}

HWND Program::message_box() const {
    HWND popup = GetLastActivePopup(main_);
    return popup && popup != main_ ? popup : nullptr;
}

bool Program::wait_until(const std::function<bool()>& done, DWORD timeout_ms) const {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        sync();
        if (done() || message_box())
            return done();
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::string Program::answer_message_box() const {
    HWND box = find_popup("Printer Settings");
    if (!box)
        box = message_box();
    if (!box)
        return "";
    char text[256] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // The box's own loop answers a sync before it takes the posted OK, so wait
    // for the box to go; after that the next sync waits for the command that
    // showed it to finish.
    wait_gone(box, 30000);
    sync();
    return text;
}

DWORD Program::close_and_wait() {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        // Cancel whatever is open over the main dialog: message boxes and tool dialogs.
        for (int i = 0; i < 8 && message_box(); ++i) {
            PostMessageA(message_box(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            sync();
        }
        if (main_)
            PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 99);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool connect_and_get(const Program& program, const VirtualPrinter& printer, DWORD timeout_ms) {
    const int closed = printer.closed_connections();
    program.click(IDC_CONNECT_GET);
    return printer.wait_for([&](const auto&) { return printer.closed_connections() > closed; },
                            timeout_ms) &&
           program.wait_until([&] { return program.enabled(IDC_CONNECT_SET); }, timeout_ms) &&
           program.enabled(IDC_CONNECT_SET);
}

} // namespace tq350::e2e
