#include "font/font_files.h"

#include <windows.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "win32/handles.h"

namespace tq350::font {

namespace {

bool is_font_file_size(LONGLONG size) {
    for (const FontGeometry& geometry : font_geometries)
        if (size == static_cast<LONGLONG>(geometry.table_size))
            return true;
    return false;
}

// Everything is written to a fresh file and forced to the disk before anything
// happens to the target.
bool write_and_flush(HANDLE file, std::span<const std::uint8_t> bytes) {
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return wrote && FlushFileBuffers(file);
}

} // namespace

LoadResult ReadFontFile(const char* path) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {LoadStatus::cannot_open, std::nullopt};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return {LoadStatus::read_failed, std::nullopt};
    if (!is_font_file_size(size.QuadPart))
        return {LoadStatus::not_a_font_file, std::nullopt};
    try {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size())
            return {LoadStatus::read_failed, std::nullopt};
        return {LoadStatus::loaded, FontTable::from_file_bytes(bytes)};
    } catch (const std::bad_alloc&) {
        return {LoadStatus::read_failed, std::nullopt};
    }
}

SaveStatus SaveFontFile(const char* path, std::span<const std::uint8_t> bytes) {
    const std::string temporary = std::string(path) + ".tmp";
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return SaveStatus::cannot_create;
    const bool written = write_and_flush(file.get(), bytes);
    if (!file.close() || !written) {
        DeleteFileA(temporary.c_str());
        return SaveStatus::write_failed;
    }
    if (!MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return SaveStatus::cannot_replace;
    }
    return SaveStatus::saved;
}

} // namespace tq350::font
