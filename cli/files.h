// Reading the files a command names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq350::cli {

// The whole file, or nothing with the reason in `error`; a file larger than
// `limit` is refused unread.
std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path,
                                                         std::uint64_t limit, std::string& error);

} // namespace tq350::cli
