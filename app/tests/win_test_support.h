// Helpers shared by the in-process Wine suites.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "testing/message_pump.h"

namespace tq350::test {


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
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void set_string_value(HKEY key, const char* name, const std::string& data, DWORD type = REG_SZ);

// The GDI and USER objects a leak leaves behind. GetGuiResources answers 0
// under Wine, so the GDI objects come from the process's GDI handle table,
// which Wine keeps in the layout Windows publishes through the process
// environment block. Of the USER objects, the windows of this thread are
// enumerated, and the menus this executable loaded (recorded once the test
// main has called install_gui_object_hooks) and has not destroyed since; the
// program makes no other USER objects of its own.
struct GuiObjects {
    int gdi_objects = 0; // stock objects excluded
    int bitmaps = 0;     // among the GDI objects
    int windows = 0;     // of this thread, child windows included
    int menus = 0;
    bool operator==(const GuiObjects&) const = default;
};

// Replaces this executable's imports of LoadMenuA and DeleteObject with
// recording ones for the rest of the run. The test main calls it before any test.
void install_gui_object_hooks();

// Counts the objects when made; the first one made in a process first makes
// what Wine keeps from its first use of each control, cursor and dialog of
// the program, so that only what a test leaves behind moves a count.
// expect_none_left() fails the running test when any count is above its
// start or a GDI object was deleted twice since (a DeleteObject of this
// executable on a handle that was no object any more). Fixtures call it once
// their windows are destroyed.
class GuiObjectWatch {
  public:
    GuiObjectWatch();
    void expect_none_left(const std::string& where = "") const;
    // DeleteObject calls of this executable since the start.
    std::size_t deletes() const;

  private:
    GuiObjects start_;
    std::size_t deletes_at_start_;
    int stale_deletes_at_start_;
};

// The shell's image lists and the rest that the first open and save dialogs
// of a process make and keep; for fixtures that use the file dialogs, before
// they start counting.
void make_file_dialog_caches();

// Whether the operation leaves the bytes in use on the process's heaps as it
// found them, once in up to `tries` runs. A leak adds to them at every run;
// the heaps' own bookkeeping (a new group of small blocks) only now and then,
// and what a library makes at its first use only at the first.
bool leaves_heaps_as_found(const std::function<void()>& operation, int tries = 3);

// The most memory the process has used since this was made, beyond what it
// used then: its peak working set now less its working set at the start. The
// peak is the process's own; if the process peaked higher before, the result
// is that much too large, never too small.
class MemoryPeak {
  public:
    MemoryPeak();
    std::int64_t growth() const;

  private:
    std::int64_t start_;
};

} // namespace tq350::test
