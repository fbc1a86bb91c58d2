// End-to-end support: the real program as a process, and the virtual printer's
// journal and control file, reached through Wine's Z: drive.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tq350::e2e {

// One journal line, with the fields the tests look at.
struct JournalEntry {
    std::string name;
    int conn = 0;
    double since_open = -1;
    std::string hex;   // bytes received, "1B 40 00"
    std::string reply; // bytes sent back
    std::string line;  // the whole JSON line
};

// The virtual printer started by scripts/sim.sh under a name (com5, com12).
class VirtualPrinter {
  public:
    explicit VirtualPrinter(const std::string& name);
    // Entries written since this object was made.
    std::vector<JournalEntry> entries() const;
    // Waits until the entries satisfy the predicate; false after the time-out.
    bool wait_for(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                  DWORD timeout_ms) const;
    // Replaces the active faults ("" for a healthy printer) and waits until the
    // printer has taken them.
    bool set_faults(const std::string& faults);
    // Number of connections that have ended since this object was made.
    int closed_connections() const;
    // Waits until the printer's link is in place: at once, unless it vanished and
    // has not come back yet.
    bool wait_for_link(DWORD timeout_ms) const;

  private:
    std::string journal_path_;
    std::string control_path_;
    long long start_offset_ = 0;
};

// Every byte the printer received over one connection, greeting included.
std::string connection_bytes(const std::vector<JournalEntry>& entries, int conn);

// The main dialog's stored settings in HKLM, as the program reads them at start.
void store_setting(const char* name, DWORD value);
void delete_settings();
DWORD stored_setting(const char* name, DWORD missing = 0xDEADBEEF);
// Every stored value, name to type and bytes, to tell whether anything was saved.
std::map<std::string, std::string> stored_settings();

// tq350setup.exe as a process, driven through window messages like a user would.
class Program {
  public:
    Program();
    ~Program(); // closes it (Cancel) and waits for it to end
    bool started() const { return main_ != nullptr; }
    HWND main() const { return main_; }
    void click(int id) const;
    // Posts a menu command to the main dialog.
    void command(int id) const;
    // Chooses a port or a speed as the user would, with the notification the
    // dialog reacts to; false if the list has no such entry.
    bool select_port(const char* name) const;
    bool select_speed(int index) const;
    // "Logo Editor...": chooses the picture in the open-file dialog and returns the
    // logo dialog, or null.
    HWND open_logo_dialog(const std::string& picture, DWORD timeout_ms) const;
    // Clicks a button of a dialog once it is enabled; false if it never is.
    bool click_when_enabled(HWND dialog, int id, DWORD timeout_ms) const;
    // Waits until a window of the program has been destroyed.
    bool wait_gone(HWND window, DWORD timeout_ms) const;
    // Waits for the modal dialog or box with this caption, open over the main dialog.
    HWND wait_for_popup(const char* caption, DWORD timeout_ms) const;
    // A visible window of the program's GUI thread with this caption, other than the main dialog.
    HWND find_popup(const char* caption) const;
    std::string text(int id) const;
    bool enabled(int id) const;
    // Handles what the program had to do so far: returns once its GUI thread is free.
    void sync() const;
    // Waits until the predicate holds or a message box is up; false on a time-out.
    bool wait_until(const std::function<bool()>& done, DWORD timeout_ms) const;
    // The message box owned by the main dialog, if one is open.
    HWND message_box() const;
    // Reads the box's text, presses OK and returns once the box is gone and the
    // program has finished what it was doing when it showed it.
    std::string answer_message_box() const;
    DWORD close_and_wait();

  private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Clicks "Connect & Get" and waits until the printer saw the connection end and
// the program shows itself connected; false when either does not happen in time.
bool connect_and_get(const Program& program, const VirtualPrinter& printer, DWORD timeout_ms);

} // namespace tq350::e2e
