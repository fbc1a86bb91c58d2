// Font files (*.fnt): the font table byte for byte, with no header, so the
// file's size alone tells font A (10976 bytes) from font B (3808 bytes).
// FontTable::from_file_bytes() and FontTable::bytes() are the format; this file
// adds reading one from disk and replacing one on disk without risking it.
#pragma once

#include "font/font_table_core.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>

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

// Reads the whole file after checking its size, so picking a large file by
// mistake costs no memory.
LoadResult read_font_file(const std::filesystem::path& path);

enum class SaveStatus : std::uint8_t {
    saved,
    cannot_create,  // no temporary file beside the target: the dialog says nothing
    write_failed,   // the temporary file is removed, the target untouched: beep
    cannot_replace, // the target could not be replaced (locked, read-only, a directory)
};

// Puts all of `bytes` into the freshly created temporary file; false when that
// failed. Tests hand in writers that stop half-way.
using ByteWriter = std::function<bool(std::ostream& out, std::span<const std::uint8_t> bytes)>;

bool write_all_bytes(std::ostream& out, std::span<const std::uint8_t> bytes);

// Where save_file_atomically() writes before it replaces the target: the
// target's name with ".tmp" appended, in the same directory, since a rename
// only replaces atomically within one volume.
std::filesystem::path temporary_path_for(const std::filesystem::path& target);

// Writes `bytes` to the temporary file, flushes and closes it, checks that it
// holds exactly `bytes.size()` bytes, and only then renames it over the target.
// Until that rename the target keeps its old contents whatever goes wrong, and
// a failed save leaves no temporary file behind. The target's name is used as
// given: a name without an extension gets none. A Win32 caller doing the same
// with its own calls keeps this order: write, FlushFileBuffers, close, then
// MoveFileEx with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH.
SaveStatus save_file_atomically(const std::filesystem::path& target,
                                std::span<const std::uint8_t> bytes,
                                const ByteWriter& writer = write_all_bytes);

} // namespace tq350::font
