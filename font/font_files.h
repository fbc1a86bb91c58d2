// Font files (*.fnt) on disk through Win32: the format itself (the font table
// byte for byte, the size telling the font) is FontTable's.
#pragma once

#include <cstdint>
#include <span>

#include "font/font_file_core.h"

namespace tq350::font {

// Opens the file for reading (others may read it too) and reads it whole after
// checking its size. The table keeps every byte as read, code bytes included.
LoadResult ReadFontFile(const char* path);

// Replaces the file at `path` without ever leaving it half written: the bytes go
// to `path` + ".tmp" in the same folder (a rename replaces atomically only within
// one volume), are flushed to the disk, and only then is the temporary file moved
// over the target. On any failure the temporary file is removed and the target
// keeps its old contents. A name without an extension is used as given.
SaveStatus SaveFontFile(const char* path, std::span<const std::uint8_t> bytes);

} // namespace tq350::font
