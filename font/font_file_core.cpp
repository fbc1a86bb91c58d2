#include "font/font_file_core.h"

#include <fstream>
#include <vector>

namespace tq350::font {

namespace fs = std::filesystem;

namespace {

bool is_font_file_size(std::uintmax_t size) {
    for (const FontGeometry& geometry : font_geometries) {
        if (size == geometry.table_size) {
            return true;
        }
    }
    return false;
}

} // namespace

LoadResult read_font_file(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return {LoadStatus::cannot_open, std::nullopt};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {LoadStatus::cannot_open, std::nullopt};
    }
    // The size of the file actually opened, not of whatever the name meant a
    // moment earlier.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        return {LoadStatus::read_failed, std::nullopt};
    }
    if (!is_font_file_size(static_cast<std::uintmax_t>(size))) {
        return {LoadStatus::not_a_font_file, std::nullopt};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) {
        return {LoadStatus::read_failed, std::nullopt};
    }
    return {LoadStatus::loaded, FontTable::from_file_bytes(bytes)};
}

bool write_all_bytes(std::ostream& out, std::span<const std::uint8_t> bytes) {
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

fs::path temporary_path_for(const fs::path& target) {
    fs::path temporary = target;
    temporary += ".tmp";
    return temporary;
}

SaveStatus save_file_atomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                                const ByteWriter& writer) {
    const fs::path temporary = temporary_path_for(target);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        return SaveStatus::cannot_create;
    }
    bool written = writer(out, bytes);
    out.close();
    written = written && !out.fail();
    std::error_code ec;
    if (written) {
        // Catches a writer that reported success without writing everything.
        const std::uintmax_t size = fs::file_size(temporary, ec);
        written = !ec && size == bytes.size();
    }
    if (!written) {
        fs::remove(temporary, ec);
        return SaveStatus::write_failed;
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return SaveStatus::cannot_replace;
    }
    return SaveStatus::saved;
}

} // namespace tq350::font
