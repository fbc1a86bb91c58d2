#include "tools/magstripe_core.h"

#include "link/exchanges.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace tq350::tools {

bool can_read_tracks(const TrackSelection& selection) {
    return std::ranges::any_of(selection, [](bool selected) { return selected; });
}

std::array<std::uint8_t, 4> build_track_request(const TrackSelection& selection) {
    // Bits 0 ... 2 select tracks 1 ... 3 on top of the fixed 0x08.
    std::uint8_t tracks = 0x08;
    for (std::size_t k = 0; k < track_count; ++k) {
        if (selection[k]) {
            tracks |= static_cast<std::uint8_t>(1u << k);
        }
    }
    return {0x1B, 0x3F, tracks, 0x00};
}

TrackTexts parse_track_reply(std::span<const std::uint8_t> reply) {
    // Nothing after the first 0x00 belongs to a track, and a reply that starts
    // with one carries no text at all.
    const auto text = reply.first(
        static_cast<std::size_t>(std::ranges::find(reply, std::uint8_t{0x00}) - reply.begin()));

    // Only the first occurrence of each marker separates tracks; a later one is
    // ordinary text of the track it falls in.
    std::array<std::optional<std::size_t>, track_count> marker;
    for (std::size_t k = 0; k < track_count; ++k) {
        const auto marker_byte = static_cast<std::uint8_t>(0xF1 + k);
        const auto found = std::ranges::find(text, marker_byte);
        if (found != text.end()) {
            marker[k] = static_cast<std::size_t>(found - text.begin());
        }
    }

    TrackTexts tracks;
    for (std::size_t k = 0; k < track_count; ++k) {
        if (!marker[k]) {
            continue;
        }
        const std::size_t begin = *marker[k] + 1;
        std::size_t end = text.size();
        for (const auto& other : marker) {
            if (other && *other >= begin) {
                end = std::min(end, *other);
            }
        }
        tracks[k].assign(text.begin() + static_cast<std::ptrdiff_t>(begin),
                         text.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return tracks;
}

std::string_view message_text(ReadMessage message) {
    switch (message) {
    case ReadMessage::none:
        return {};
    case ReadMessage::cannot_communicate:
        return "Can NOT communicate with printer!";
    case ReadMessage::reader_problem:
        return "Problem with magstripe reader!";
    }
    return {};
}

TrackReadResult finish_track_read(const TrackExchange& exchange) {
    if (!exchange.port_opened) {
        return {ReadMessage::cannot_communicate, {}};
    }
    // Nothing received means the read timed out: no card was swiped in time.
    if (!exchange.request_sent || !exchange.read_succeeded || exchange.reply.empty()) {
        return {ReadMessage::reader_problem, {}};
    }
    return {ReadMessage::none, parse_track_reply(exchange.reply)};
}

TrackReadResult read_tracks(link::PrinterLine& line, const TrackSelection& selection) {
    std::array<std::uint8_t, max_track_reply> reply{};
    TrackExchange exchange;
    exchange.port_opened = true;
    exchange.request_sent = link::write_all(line, build_track_request(selection));
    if (exchange.request_sent) {
        const std::size_t received = line.read(reply);
        exchange.read_succeeded = received > 0;
        exchange.reply = std::span<const std::uint8_t>(reply.data(), received);
    }
    return finish_track_read(exchange);
}

} // namespace tq350::tools
