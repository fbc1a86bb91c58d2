#include "gdi_watch.h"

#include <cstdint>

// The import slot through which this executable's code calls DeleteObject.
extern "C" {
extern decltype(&DeleteObject) __imp_DeleteObject;
}

namespace tq350::logo::test {

namespace {

// One entry of the GDI handle table: 24 bytes on 64-bit, 0x10000 entries.
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint8_t ext_type; // low 7 bits the type, top bit the stock flag
    std::uint8_t generation;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr int kHandleTableEntries = 0x10000;
constexpr std::uint8_t kStockFlag = 0x80;
// Wine's type number for bitmaps in the table.
constexpr std::uint8_t kBitmapType = 0x09;
// GdiSharedHandleTable in the 64-bit process environment block.
constexpr std::size_t kHandleTableOffset = 0xF8;

const GdiHandleEntry* handle_table() {
    // The process environment block's address is at gs:0x60 on 64-bit.
    const char* peb = nullptr;
    asm("mov %%gs:0x60, %0" : "=r"(peb));
    return *reinterpret_cast<const GdiHandleEntry* const*>(peb + kHandleTableOffset);
}

int count_entries(int type) {
    const GdiHandleEntry* table = handle_table();
    if (!table)
        return -1;
    int count = 0;
    for (int i = 0; i < kHandleTableEntries; ++i) {
        const GdiHandleEntry& e = table[i];
        if (e.type != 0 && !(e.ext_type & kStockFlag) && (type < 0 || e.type == type))
            ++count;
    }
    return count;
}

decltype(&DeleteObject) g_real_delete = nullptr;
int g_stale_deletes = 0;
std::vector<HGDIOBJ> g_deleted;

BOOL WINAPI watched_delete(HGDIOBJ object) {
    if (object) {
        if (GetObjectType(object) == 0)
            ++g_stale_deletes;
        g_deleted.push_back(object);
    }
    return g_real_delete(object);
}

bool replace_import(decltype(&DeleteObject) function) {
    DWORD protection = 0;
    if (!VirtualProtect(&__imp_DeleteObject, sizeof __imp_DeleteObject, PAGE_READWRITE,
                        &protection))
        return false;
    __imp_DeleteObject = function;
    VirtualProtect(&__imp_DeleteObject, sizeof __imp_DeleteObject, protection, &protection);
    return true;
}

} // namespace

int gdi_object_count() {
    SetLastError(0);
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return static_cast<int>(reported);
    return count_entries(-1);
}

int bitmap_count() {
    return count_entries(kBitmapType);
}

DeleteWatch::DeleteWatch() {
    g_stale_deletes = 0;
    g_deleted.clear();
    g_real_delete = __imp_DeleteObject;
    if (!replace_import(watched_delete))
        g_real_delete = nullptr;
}

DeleteWatch::~DeleteWatch() {
    if (g_real_delete)
        replace_import(g_real_delete);
    g_real_delete = nullptr;
}

bool DeleteWatch::active() const {
    return g_real_delete != nullptr;
}

int DeleteWatch::stale_deletes() const {
    return g_stale_deletes;
}

const std::vector<HGDIOBJ>& DeleteWatch::deleted() const {
    return g_deleted;
}

} // namespace tq350::logo::test
