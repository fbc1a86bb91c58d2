// Helpers shared by the in-process Wine suites.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tq350::test {

// Handles every message waiting in this thread's queue, WM_QUIT included, and
// reports whether a WM_QUIT was among them (a leftover one would make the next
// MessageBox return at once).
bool pump_messages();

// Counts the program's beeps for its lifetime, by type.
class BeepRecorder {
public:
    BeepRecorder();
    ~BeepRecorder();
    const std::vector<UINT>& beeps() const;
    void clear();
};

// Answers every message box this thread opens while it lives: records its caption
// and text (control 0xFFFF) and presses the given button. With on_open set, every
// owned dialog goes to on_open instead.
class ModalAnswerer {
public:
    struct Seen {
        std::string caption;
        std::string text;
        HWND owner;
        HWND window;
    };
    explicit ModalAnswerer(int button = IDOK);
    ~ModalAnswerer();
    const std::vector<Seen>& seen() const;
    // Called instead of the button press, with the new window, when set.
    std::function<void(HWND)> on_open;
};

// A scratch key under HKCU, deleted with everything below it on both ends.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    HKEY root() const { return HKEY_CURRENT_USER; }
    const std::string& path() const { return path_; }
    HKEY open(REGSAM access = KEY_ALL_ACCESS) const; // caller closes

private:
    std::string path_;
};

void set_string_value(HKEY key, const char* name, const std::string& data, DWORD type = REG_SZ);
void set_dword_value(HKEY key, const char* name, DWORD value);

} // namespace tq350::test
