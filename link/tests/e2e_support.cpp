#include "link/tests/e2e_support.h"

#include <dlgs.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdlib>
#include <fstream>

#include "res/resource.h"

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
    if (line[at] == '"')
        return line.substr(at + 1, line.find('"', at + 1) - at - 1);
    return line.substr(at, line.find_first_of(",}", at) - at);
}

// The first visible top-level window with this caption that passes the test.
HWND find_window(const char* caption, const std::function<bool(HWND)>& accept) {
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, caption); w;
         w = FindWindowExA(nullptr, w, nullptr, caption))
        if (IsWindowVisible(w) && accept(w))
            return w;
    return nullptr;
}

// The virtual printers' state folder: the one of this session's lane of make test
// (scripts/wine-env.sh sets TQ350_SIM_ROOT), or the build tree's.
std::string sim_state_folder() {
    char root[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("TQ350_SIM_ROOT", root, sizeof root);
    if (n > 0 && n < sizeof root)
        return std::string("Z:") + root + "/state";
    return TQ350_SIM_DIR;
}

} // namespace

std::vector<std::uint8_t> from_hex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (size_t at = 0; at + 1 < hex.size(); at += 3)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(at, 2), nullptr, 16)));
    return bytes;
}

std::string connection_bytes(const std::vector<JournalEntry>& entries, int conn) {
    std::string all;
    for (const JournalEntry& e : entries)
        if ((conn == -1 || e.conn == conn) && !e.hex.empty() && e.name != "noise")
            all += (all.empty() ? "" : " ") + e.hex;
    return all;
}

VirtualPrinter::VirtualPrinter(const std::string& name)
    : path_(sim_state_folder() + "/printer-" + name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA((path_ + ".journal").c_str(), GetFileExInfoStandard, &data))
        start_offset_ = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<JournalEntry> VirtualPrinter::entries() const {
    std::vector<JournalEntry> result;
    std::ifstream in(path_ + ".journal", std::ios::binary);
    in.seekg(start_offset_);
    std::string line;
    // A line without its closing brace is still being written.
    while (std::getline(in, line) && !line.empty() && line.back() == '}') {
        const std::string since = field(line, "since_open");
        result.push_back({field(line, "name"), atoi(field(line, "conn").c_str()),
                          since.empty() ? -1 : atof(since.c_str()), field(line, "hex"), line});
    }
    return result;
}

bool VirtualPrinter::wait_for(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                              DWORD timeout_ms) const {
    HANDLE change = FindFirstChangeNotificationA(
        sim_state_folder().c_str(), FALSE, FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    bool ok = false;
    // Woken by the journal growing; the bound only guards against a missed change
    // (and stands in for the wait if there is no notification).
    while (!(ok = done(entries())) && GetTickCount64() < deadline)
        if (WaitForSingleObject(change, 250) == WAIT_OBJECT_0)
            FindNextChangeNotification(change);
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    return ok;
}

bool VirtualPrinter::wait_for_line(const std::string& text) const {
    return wait_for([&](const std::vector<JournalEntry>& all) {
        for (const JournalEntry& e : all)
            if (e.line.find(text) != std::string::npos)
                return true;
        return false;
    });
}

int VirtualPrinter::closed_connections() const {
    int closed = 0;
    for (const JournalEntry& e : entries())
        closed += e.name == "close";
    return closed;
}

bool VirtualPrinter::wait_closed(int count, DWORD timeout_ms) const {
    return wait_for([&](const auto&) { return closed_connections() >= count; }, timeout_ms);
}

int VirtualPrinter::connection_of(const std::string& name) const {
    int conn = 0;
    for (const JournalEntry& e : entries())
        conn = e.name == name ? e.conn : conn;
    return conn;
}

std::string VirtualPrinter::read_paper(int conn, PaperPage& page) const {
    std::string path;
    wait_for([&](const std::vector<JournalEntry>& all) {
        for (const JournalEntry& e : all)
            if (e.name == "paper" && e.conn == conn)
                path = "Z:" + field(e.line, "file"); // the printer's paths are Linux ones
        return !path.empty();
    });
    if (path.empty())
        return "no paper for connection " + std::to_string(conn);
    // The page is a PNG, decoded by Windows' own codecs.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
    Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
    Microsoft::WRL::ComPtr<IWICBitmapSource> gray;
    const std::wstring wide(path.begin(), path.end());
    UINT width = 0, height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat8bppGray, frame.Get(), &gray)) ||
        FAILED(gray->GetSize(&width, &height)))
        return "cannot decode " + path;
    page = {static_cast<int>(width), static_cast<int>(height),
            std::vector<std::uint8_t>(static_cast<size_t>(width) * height, 255)};
    if (FAILED(gray->CopyPixels(nullptr, width, width * height, page.gray.data())))
        return "cannot read the dots of " + path;
    return "";
}

bool VirtualPrinter::set_faults(const std::string& faults) {
    const size_t seen = entries().size();
    std::ofstream(path_ + ".control", std::ios::binary | std::ios::trunc) << faults << "\n";
    return wait_for([seen](const std::vector<JournalEntry>& all) {
        for (size_t i = seen; i < all.size(); ++i)
            if (all[i].name == "faults")
                return true;
        return false;
    });
}

bool VirtualPrinter::wait_for_link(DWORD timeout_ms) const {
    VirtualPrinter whole = *this;
    whole.start_offset_ = 0;
    return whole.wait_for(
        [](const std::vector<JournalEntry>& all) {
            bool in_place = false;
            for (const JournalEntry& e : all)
                if (e.name == "link" || e.name == "link_removed")
                    in_place = e.name == "link";
            return in_place;
        },
        timeout_ms);
}

void store_setting(const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

void delete_settings() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

std::map<std::string, std::string> stored_settings() {
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[256];
    BYTE data[1024];
    DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
    for (DWORD i = 0;
         RegEnumValueA(key, i, name, &name_size, nullptr, &type, data, &data_size) == ERROR_SUCCESS;
         ++i, name_size = sizeof name, data_size = sizeof data)
        values[name] = std::to_string(type) + ":" +
                       std::string(reinterpret_cast<const char*>(data), data_size);
    RegCloseKey(key);
    return values;
}

void send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wparam, lparam, SMTO_BLOCK, kExchangeMs, &result);
}

Program::Program() : Program(TQ350_EXE) {}

Program::Program(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
        return;
    // Idle input: the main dialog is up and its message loop waits. Found by process,
    // not by caption alone: a suite running beside this one may have a main dialog open.
    WaitForInputIdle(process_.hProcess, kExchangeMs);
    main_ = find_window(kTitle, [&](HWND w) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        return pid == process_.dwProcessId;
    });
}

Program::~Program() {
    if (process_.hProcess) {
        close_and_wait();
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

std::string Program::text(int id) const {
    char buffer[256] = {};
    GetDlgItemTextA(main_, id, buffer, sizeof buffer);
    return buffer;
}

bool Program::select(int id, const char* text) const {
    HWND list = GetDlgItem(main_, id);
    const LRESULT index =
        SendMessageA(list, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR || SendMessageA(list, CB_SETCURSEL, index, 0) == CB_ERR)
        return false;
    send(main_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
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

bool Program::poll(const std::function<bool()>& done, DWORD timeout_ms) const {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (sync(); !done(); sync()) {
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

bool Program::click_when_enabled(HWND dialog, int id, DWORD timeout_ms) const {
    HWND button = GetDlgItem(dialog, id);
    if (!poll([&] { return IsWindowEnabled(button) != FALSE; }, timeout_ms))
        return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool Program::wait_gone(HWND window, DWORD timeout_ms) const {
    return poll([&] { return !IsWindow(window); }, timeout_ms);
}

HWND Program::find_popup(const char* caption) const {
    const DWORD gui_thread = GetWindowThreadProcessId(main_, nullptr);
    return find_window(caption, [&](HWND w) {
        return w != main_ && GetWindowThreadProcessId(w, nullptr) == gui_thread;
    });
}

HWND Program::wait_for_popup(const char* caption, DWORD timeout_ms) const {
    HWND popup = nullptr;
    poll([&] { return (popup = find_popup(caption)) != nullptr; }, timeout_ms);
    return popup;
}

bool Program::wait_until(const std::function<bool()>& done, DWORD timeout_ms) const {
    poll([&] { return done() || message_box(); }, timeout_ms);
    return done();
}

HWND Program::message_box() const {
    HWND popup = GetLastActivePopup(main_);
    return popup && popup != main_ ? popup : nullptr;
}

std::string Program::answer_message_box(int button) const {
    HWND box = find_popup(kMessageCaption);
    if (!box && !(box = message_box()))
        return "";
    char text[256] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    // The box's own loop answers a sync before it takes the posted button, so wait
    // for the box to go; after that the next sync waits for the command that
    // showed it to finish.
    wait_gone(box, kExchangeMs);
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
        if (WaitForSingleObject(process_.hProcess, kExchangeMs) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 99);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool connect_and_get(const Program& program, const VirtualPrinter& printer) {
    const int closed = printer.closed_connections();
    program.click(IDC_CONNECT_GET);
    const bool connected =
        printer.wait_closed(closed + 1) &&
        program.wait_until([&] { return program.enabled(IDC_CONNECT_SET); }, kExchangeMs);
    program.sync();
    return connected;
}

void EndToEnd::SetUp() {
    delete_settings();
    store_setting("COM Port", 5);
    // Whatever an earlier test left behind (speed, switches), start from power-on.
    ASSERT_TRUE(com5_.set_faults("power_cycle"));
}

void EndToEnd::TearDown() {
    program_.reset();
    com5_.set_faults("");
    delete_settings();
}

const Program* EndToEnd::connected() {
    program_.emplace();
    return program_->started() && connect_and_get(*program_, com5_) ? &*program_ : nullptr;
}

} // namespace tq350::e2e
