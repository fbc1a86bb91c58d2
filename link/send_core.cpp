#include "link/send_core.h"

#include <algorithm>

namespace tq350::link {

std::vector<Chunk> plan_chunks(std::size_t length) {
    std::vector<Chunk> chunks;
    chunks.reserve((length + max_chunk_bytes - 1) / max_chunk_bytes);
    for (std::size_t offset = 0; offset < length; offset += max_chunk_bytes) {
        const std::size_t size = std::min(length - offset, max_chunk_bytes);
        chunks.push_back({offset, size, static_cast<std::uint32_t>(size)});
    }
    return chunks;
}

std::size_t sequence_length(const std::uint8_t* bytes, std::size_t length) {
    if (length != 0 || bytes == nullptr) {
        return length; // no bytes at all is an empty sequence, not a string to scan
    }
    while (bytes[length] != 0) {
        ++length;
    }
    return length;
}

} // namespace tq350::link
