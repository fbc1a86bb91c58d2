// Any bytes as the reply to a magstripe read, whatever its length: the read buffer holds
// max_track_reply bytes, but the parser must not rely on that.

#include "app/tests/fuzz_check.h"
#include "tools/magstripe_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using namespace tq350::tools;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> reply(data, size);
    const TrackTexts tracks = parse_track_reply(reply);

    // Each track is a run of the reply before its first 0x00, behind a marker of its own, and
    // no two tracks share a byte.
    const std::size_t text =
        static_cast<std::size_t>(std::find(data, data + size, std::uint8_t{0}) - data);
    std::size_t taken = 0;
    for (std::size_t k = 0; k < track_count; ++k) {
        const std::string& track = tracks[k];
        if (track.empty())
            continue;
        taken += 1 + track.size();
        TQ350_FUZZ_CHECK(track.find('\0') == std::string::npos);
        const auto marker = std::find(data, data + text, static_cast<std::uint8_t>(0xF1 + k));
        TQ350_FUZZ_CHECK(marker != data + text);
        TQ350_FUZZ_CHECK(
            std::equal(track.begin(), track.end(), marker + 1,
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    }
    TQ350_FUZZ_CHECK(taken <= text);

    // Whatever follows the first 0x00 is not looked at.
    std::vector<std::uint8_t> extended(data, data + text);
    extended.push_back(0x00);
    extended.insert(extended.end(), {0xF1, 'X', 0xF2, 'Y', 0xF3, 'Z'});
    TQ350_FUZZ_CHECK(parse_track_reply(extended) == tracks);

    const TrackReadResult read = finish_track_read({true, true, true, reply});
    TQ350_FUZZ_CHECK(size == 0 ? read.message == ReadMessage::reader_problem
                               : read.message == ReadMessage::none && read.tracks == tracks);

    if (size > 0) {
        const TrackSelection selection{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
        const auto request = build_track_request(selection);
        TQ350_FUZZ_CHECK(request[0] == 0x1B && request[1] == 0x3F && request[3] == 0x00);
        TQ350_FUZZ_CHECK(request[2] == (0x08 | (data[0] & 7)));
    }
    return 0;
}
