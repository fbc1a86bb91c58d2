#include "win32/lazy_library.h"

namespace tq350::win32 {

LibraryLoader g_load_library = [](const char* file_name) { return LoadLibraryA(file_name); };

FARPROC LazyLibrary::find_address(const char* name) {
    // Loaded once for each loader, so that a test's loader is asked afresh; never freed.
    if (loaded_with_ != g_load_library) {
        module_ = g_load_library(file_name_);
        loaded_with_ = g_load_library;
    }
    return module_ ? GetProcAddress(module_, name) : nullptr;
}

namespace {

LazyLibrary g_common_dialogs("comdlg32.dll");
LazyLibrary g_ole("ole32.dll");
LazyLibrary g_ole_automation("oleaut32.dll");

} // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* request) {
    auto* ask = g_common_dialogs.find<decltype(::GetOpenFileNameA)>("GetOpenFileNameA");
    return ask ? ask(request) : FALSE;
}

BOOL GetSaveFileNameA(OPENFILENAMEA* request) {
    auto* ask = g_common_dialogs.find<decltype(::GetSaveFileNameA)>("GetSaveFileNameA");
    return ask ? ask(request) : FALSE;
}

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL delete_on_release, IStream** stream) {
    auto* create = g_ole.find<decltype(::CreateStreamOnHGlobal)>("CreateStreamOnHGlobal");
    return create ? create(block, delete_on_release, stream) : CO_E_DLLNOTFOUND;
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL keep_original_format, REFIID requested,
                       void** picture) {
    auto* load = g_ole_automation.find<decltype(::OleLoadPicture)>("OleLoadPicture");
    return load ? load(stream, size, keep_original_format, requested, picture) : CO_E_DLLNOTFOUND;
}

} // namespace tq350::win32
