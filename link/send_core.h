// How the send operation cuts a command sequence into writes and paces them.
// Each chunk is followed by a pause of one millisecond per byte, whatever the
// line speed: a printer that fell behind would hold our output with XOFF, and
// a held write runs into its time-out and loses the rest of the chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tq350::link {

// A chunk fills the driver's output queue at most.
inline constexpr std::size_t max_chunk_bytes = 2048;

struct Chunk {
    std::size_t offset;
    std::size_t size;
    std::uint32_t pause_ms; // wait after the chunk was written and flushed
};

// The writes for a sequence of `length` bytes, in order; none for 0.
std::vector<Chunk> plan_chunks(std::size_t length);

// The byte count to send: `length` itself, or when it is 0 the number of bytes
// before the first NUL, for callers that hand over a NUL-terminated sequence.
// Sequences holding 0x00 bytes must always come with their length.
std::size_t sequence_length(const std::uint8_t* bytes, std::size_t length);

// Per-chunk outcome of one send. A failed chunk costs a beep, and the
// remaining chunks are still sent.
struct SendTally {
    std::size_t chunks_written = 0;
    std::size_t chunks_failed = 0;
};

// A send succeeds when something was written and no chunk failed: a good last
// chunk does not make up for a lost one in the middle of a logo.
constexpr bool send_succeeded(const SendTally& tally) {
    return tally.chunks_written > 0 && tally.chunks_failed == 0;
}

} // namespace tq350::link
