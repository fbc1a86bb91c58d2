#include "cli/files.h"

#include <filesystem>
#include <fstream>

namespace tq350::cli {

std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path,
                                                         std::uint64_t limit, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::error_code code;
    const auto size = std::filesystem::file_size(path, code);
    if (!in || code) {
        error = "cannot be read";
        return std::nullopt;
    }
    if (size > limit) {
        error = "too large (" + std::to_string(size) + " bytes)";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot be read";
        return std::nullopt;
    }
    return bytes;
}

} // namespace tq350::cli
