// Watching the GDI objects of the process: how many there are, and every
// DeleteObject the program's own code makes, so that tests can tell a leaked
// bitmap from a bitmap deleted twice.
#pragma once

#include <windows.h>

#include <vector>

namespace tq350::logo::test {

// GDI objects of this process (stock objects excluded). GetGuiResources
// where it works; Wine's always answers 0, and there the count comes
// from the process's GDI handle table, which Wine keeps in the layout Windows
// publishes through the process environment block.
int gdi_object_count();

// Bitmaps among them (Wine's handle table only; -1 where it is not there).
int bitmap_count();

// While it lives, every DeleteObject called by the program (the import of
// this executable, so not the calls inside Wine's own DLLs) is recorded
// before it runs. Only one at a time.
class DeleteWatch {
  public:
    DeleteWatch();
    ~DeleteWatch();
    DeleteWatch(const DeleteWatch&) = delete;
    DeleteWatch& operator=(const DeleteWatch&) = delete;

    // Whether the import could be replaced; without it nothing is recorded.
    bool active() const;
    // Calls on a handle that was not a GDI object any more: a second delete.
    int stale_deletes() const;
    const std::vector<HGDIOBJ>& deleted() const;
};

} // namespace tq350::logo::test
