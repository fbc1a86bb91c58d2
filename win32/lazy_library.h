// System libraries loaded when they are first needed instead of by the loader at
// start-up. The file dialogs and OLE picture loading bring shell32, shlwapi,
// shcore, winspool and compstui into the process, none of which the main window
// uses: imported, they are all mapped and initialised before it can show.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <olectl.h>

namespace tq350::win32 {

// What libraries are loaded with: LoadLibraryA, unless a test put its own here
// to make a library missing. The next call through a LazyLibrary notices the
// change and loads again.
using LibraryLoader = HMODULE (*)(const char* file_name);
extern LibraryLoader g_load_library;

// One DLL, loaded by the first lookup and kept until the process ends (its
// functions' results, a COM object say, may outlive any scope here). Used from
// the window thread only.
class LazyLibrary {
  public:
    explicit constexpr LazyLibrary(const char* file_name) : file_name_(file_name) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // The exported function `name` as a `Function*`, or nullptr when the library
    // cannot be loaded or does not export it.
    template <typename Function> Function* find(const char* name) {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(find_address(name)));
    }

  private:
    FARPROC find_address(const char* name);

    const char* file_name_;
    LibraryLoader loaded_with_ = nullptr;
    HMODULE module_ = nullptr;
};

// The system's functions, called through their library loaded on first use.
// Without the library each fails as the system's own call can fail, so callers
// need no path of their own: the file dialogs return FALSE as if cancelled, the
// OLE calls CO_E_DLLNOTFOUND.
BOOL GetOpenFileNameA(OPENFILENAMEA* request);
BOOL GetSaveFileNameA(OPENFILENAMEA* request);
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL delete_on_release, IStream** stream);
HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL keep_original_format, REFIID requested,
                       void** picture);

} // namespace tq350::win32
