// The magstripe reader test: the request for the selected tracks, and what the
// dialog shows once the printer has answered (or has not).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/printer_line.h"

namespace tq350::tools {

inline constexpr std::size_t track_count = 3;

// The reply buffer of one read; the printer sends at most this many bytes.
inline constexpr std::size_t max_track_reply = 256;

// Check boxes "Select Track 1" ... "Select Track 3".
using TrackSelection = std::array<bool, track_count>;

// "Read" is enabled exactly while at least one track is selected.
bool can_read_tracks(const TrackSelection& selection);

// ESC ? t 0x00, t = 0x08 with bit k - 1 set for each selected track k.
std::array<std::uint8_t, 4> build_track_request(const TrackSelection& selection);

// Text of tracks 1 ... 3; empty for a track the reply has no marker for.
using TrackTexts = std::array<std::string, track_count>;

// Track k follows the first 0xF0 + k and runs to the next first marker, the
// first 0x00 or the end of the reply, whichever comes first. Never looks past
// the end of `reply`, so a reply that fills the whole buffer needs no
// terminator after it.
TrackTexts parse_track_reply(std::span<const std::uint8_t> reply);

// The message box after a "Read", captioned message_caption.
enum class ReadMessage {
    none,
    cannot_communicate, // the port did not open
    reader_problem,     // the request did not go out, or no card was read
};
inline constexpr std::string_view message_caption = "Printer Settings";
std::string_view message_text(ReadMessage message); // empty for none

// How far one "Read" got, as the Win32 layer saw it.
struct TrackExchange {
    bool port_opened = false;
    bool request_sent = false; // all 4 bytes written and flushed
    bool read_succeeded = false;
    std::span<const std::uint8_t> reply; // the bytes the read returned
};

struct TrackReadResult {
    ReadMessage message = ReadMessage::none;
    TrackTexts tracks; // all empty unless the read succeeded
};

// Any reply of at least one byte is a success, even one without a marker.
TrackReadResult finish_track_read(const TrackExchange& exchange);

// One "Read" on an open line: the request, then one read of up to
// max_track_reply bytes. The line's time-outs give the user about half a
// minute to swipe, and the read ends 150 ms after the card's last byte.
TrackReadResult read_tracks(link::PrinterLine& line, const TrackSelection& selection);

} // namespace tq350::tools
