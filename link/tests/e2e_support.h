// End-to-end support: the real program as a process, and the virtual printer's
// journal, control file and paper, reached through Wine's Z: drive.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tq350::e2e {

// One exchange: the printer's 2.5 s wake-up, the bytes and the 0.3 s close, with
// room for a loaded machine. Twice that covers a read time-out (10 s + 100 ms a
// byte) or a paced download.
constexpr DWORD kExchangeMs = 30000;
constexpr const char* kMessageCaption = "Printer Settings";

// One journal line, with the fields the tests look at.
struct JournalEntry {
    std::string name;
    int conn = 0;
    double since_open = -1;
    std::string hex;  // bytes received, "1B 40 00"
    std::string line; // the whole JSON line
};

std::vector<std::uint8_t> from_hex(const std::string& hex);
// Every byte the printer received over one connection (all of them for -1),
// greeting included, noise left out.
std::string connection_bytes(const std::vector<JournalEntry>& entries, int conn = -1);

// The paper the printer wrote for one connection.
struct PaperPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> gray; // row by row, 255 is blank paper
    bool dot(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && gray[y * width + x] != 255;
    }
};

// The virtual printer started by scripts/sim.sh under a name (com5, com12).
class VirtualPrinter {
  public:
    explicit VirtualPrinter(const std::string& name);
    // Entries written since this object was made.
    std::vector<JournalEntry> entries() const;
    // Waits until the entries satisfy the predicate; false after the time-out.
    bool wait_for(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                  DWORD timeout_ms = kExchangeMs) const;
    bool wait_for_line(const std::string& text) const; // a line that holds text
    // Connections ended since this object was made, and a wait for their count.
    int closed_connections() const;
    bool wait_closed(int count, DWORD timeout_ms = kExchangeMs) const;
    // The connection of the last entry with this name, 0 for none.
    int connection_of(const std::string& name) const;
    std::string bytes(int conn) const { return connection_bytes(entries(), conn); }
    // Waits for the page of a connection and decodes it; "" or why it could not.
    std::string read_paper(int conn, PaperPage& page) const;
    // Replaces the active faults ("" for a healthy printer) and waits until the
    // printer has taken them.
    bool set_faults(const std::string& faults);
    // Waits until the printer's link is in place: at once, unless it vanished and
    // has not come back yet.
    bool wait_for_link(DWORD timeout_ms) const;

  private:
    std::string path_; // without the extension
    long long start_offset_ = 0;
};

// The main dialog's stored settings in HKLM, as the program reads them at start.
void store_setting(const char* name, DWORD value);
void delete_settings();
// Every stored value, name to type and bytes, to tell whether anything was saved.
std::map<std::string, std::string> stored_settings();

// Sends a message to a window of the program; gives up after an exchange's time.
void send(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// tq350setup.exe as a process, driven through window messages like a user would.
class Program {
  public:
    Program(); // the exe this tree built
    explicit Program(const std::string& exe);
    ~Program(); // closes it (Cancel) and waits for it to end
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool started() const { return main_ != nullptr; }
    HWND main() const { return main_; }
    void click(int id) const { PostMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0); }
    void command(int id) const { PostMessageA(main_, WM_COMMAND, id, 0); } // a menu command
    std::string text(int id) const;
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(main_, id)) != FALSE; }
    // Chooses a port or a speed by its text as the user would, with the
    // notification the dialog reacts to; false if the list has no such entry.
    bool select(int id, const char* text) const;
    // "Logo Editor...": chooses the picture in the open-file dialog and returns the
    // logo dialog, or null.
    HWND open_logo_dialog(const std::string& picture, DWORD timeout_ms) const;
    // Clicks a button of a dialog once it is enabled; false if it never is.
    bool click_when_enabled(HWND dialog, int id, DWORD timeout_ms) const;
    bool wait_gone(HWND window, DWORD timeout_ms) const;
    // A visible window of the program's GUI thread with this caption, other than the main
    // dialog, and a wait for it.
    HWND find_popup(const char* caption) const;
    HWND wait_for_popup(const char* caption, DWORD timeout_ms = kExchangeMs) const;
    // Returns once the program's GUI thread is free: after a running exchange, or
    // from inside a message box's loop.
    void sync() const { send(main_, WM_NULL, 0, 0); }
    // Waits until the predicate holds or a message box is up; false on a time-out.
    bool wait_until(const std::function<bool()>& done, DWORD timeout_ms) const;
    // The message box owned by the main dialog, if one is open.
    HWND message_box() const;
    // Reads the box's text, presses the button and returns once the box is gone and
    // the program has finished what it was doing when it showed it.
    std::string answer_message_box(int button = IDOK) const;
    DWORD close_and_wait();

  private:
    // Polls the predicate, letting the program work, until it holds or time runs out.
    bool poll(const std::function<bool()>& done, DWORD timeout_ms) const;

    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Clicks "Connect & Get" and waits until the printer saw the connection end and
// the program shows itself connected; false when either does not happen in time.
bool connect_and_get(const Program& program, const VirtualPrinter& printer);

// A smoke case: the settings cleared but for COM5 and the printer there powered on
// afresh.
class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the program and connects it over COM5; null when either fails.
    const Program* connected();

    VirtualPrinter com5_{"com5"};
    std::optional<Program> program_;
};

} // namespace tq350::e2e
