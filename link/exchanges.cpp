#include "link/exchanges.h"

#include "link/serial_line_core.h"

namespace tq350::link {

namespace {

bool exchange(PrinterLine& line, std::span<const std::uint8_t> request,
              std::span<std::uint8_t> reply) {
    return write_all(line, request) && read_exactly(line, reply);
}

} // namespace

bool write_all(PrinterLine& line, std::span<const std::uint8_t> bytes) {
    return line.write(bytes) == bytes.size() && line.flush();
}

bool read_exactly(PrinterLine& line, std::span<std::uint8_t> buffer) {
    return line.read(buffer) == buffer.size();
}

bool wake_and_greet(PrinterLine& line) {
    // The printer wakes up on the raised lines; what it says meanwhile is noise.
    line.pause(wake_up_pause_ms);
    line.purge();
    if (!write_all(line, port_greeting))
        return false;
    line.pause(greeting_pause_ms);
    return true;
}

bool query_printer(PrinterLine& line, PrinterReadings& readings) {
    if (!exchange(line, information_request, readings.block))
        return false;
    PowerReply power{};
    if (!exchange(line, power_request, power))
        return false;
    readings.power = decode_power_reply(power);
    return exchange(line, status_request, std::span(&readings.status, status_reply_length));
}

SendTally send_in_chunks(PrinterLine& line, std::span<const std::uint8_t> bytes,
                         const std::function<void()>& on_lost_chunk) {
    SendTally tally;
    for (const Chunk& chunk : plan_chunks(bytes.size())) {
        if (write_all(line, bytes.subspan(chunk.offset, chunk.size))) {
            ++tally.chunks_written;
            // The printer takes about a byte a millisecond; give it the time.
            line.pause(chunk.pause_ms);
        } else {
            ++tally.chunks_failed;
            if (on_lost_chunk)
                on_lost_chunk();
        }
    }
    return tally;
}

} // namespace tq350::link
