// The printer exchanges over an open line: the greeting, the information
// query, the chunked send. The Windows program and tq350 both run these.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "link/printer_info_core.h"
#include "link/printer_line.h"
#include "link/send_core.h"

namespace tq350::link {

// Writes every byte and flushes; false on a short count or a failed flush.
bool write_all(PrinterLine& line, std::span<const std::uint8_t> bytes);
// Reads exactly buffer.size() bytes within the line's time-outs.
bool read_exactly(PrinterLine& line, std::span<std::uint8_t> buffer);

// Right after the port is configured and DTR and RTS are up: waits for the
// printer to wake, drops what it said meanwhile and sends the greeting.
bool wake_and_greet(PrinterLine& line);

struct PrinterReadings {
    InformationBlock block{};
    PowerReading power{};
    std::uint8_t status = 0;
};

// The information, power and status requests, each with its fixed-length
// reply; false at the first one that fails, the readings then incomplete.
bool query_printer(PrinterLine& line, PrinterReadings& readings);

// Sends bytes in the chunks plan_chunks gives, pausing after each one that
// went out whole. A chunk that did not calls on_lost_chunk (the dialog program
// beeps) and the rest is still sent.
SendTally send_in_chunks(PrinterLine& line, std::span<const std::uint8_t> bytes,
                         const std::function<void()>& on_lost_chunk = {});

} // namespace tq350::link
