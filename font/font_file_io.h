// Font files (*.fnt) on disk through Win32, for the font editor's Load and Save.
// The format itself (the font table byte for byte, the size telling the font) is
// FontTable's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "font/font_table_core.h"

namespace tq350::font {

enum class LoadStatus : std::uint8_t {
    loaded,
    cannot_open,     // missing, not a regular file or not readable: the dialog says nothing
    not_a_font_file, // any size but 10976 or 3808: the dialog beeps
    read_failed,     // the read stopped short: the dialog beeps
};

struct LoadResult {
    LoadStatus status;
    std::optional<FontTable> table; // set only when loaded
};

enum class SaveStatus : std::uint8_t {
    saved,
    cannot_create,  // no temporary file beside the target: the dialog says nothing
    write_failed,   // the temporary file is removed, the target untouched: beep
    cannot_replace, // the target could not be replaced (locked, read-only, a directory)
};

// Opens the file for reading (others may read it too) and reads it whole after
// checking its size, so picking a large file by mistake costs no memory. The
// table keeps every byte as read, code bytes included.
LoadResult ReadFontFile(const char* path);

// Replaces the file at `path` without ever leaving it half written: the bytes go
// to `path` + ".tmp" in the same folder (a rename replaces atomically only within
// one volume), are flushed to the disk, and only then is the temporary file moved
// over the target. On any failure the temporary file is removed and the target
// keeps its old contents. A name without an extension is used as given.
SaveStatus SaveFontFile(const char* path, std::span<const std::uint8_t> bytes);

} // namespace tq350::font
