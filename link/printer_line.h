// An open serial line to the printer, whatever the platform under it: the COM
// port of the Windows program, a termios tty for tq350 on Linux, a scripted
// printer in the tests. Every exchange is written once against this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace tq350::link {

// The platform side opens the port, configures it with printer_line_settings
// and printer_timeouts (serial_line_core.h), raises DTR and RTS and then calls
// wake_and_greet; closing flushes, drops the lines, closes and waits
// close_pause_ms. What lies between is what this interface carries.
class PrinterLine {
  public:
    virtual ~PrinterLine() = default;
    // Bytes written before the write time-out; fewer than asked means a
    // time-out (the printer held us with XOFF) or an error.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Waits until the driver has sent what was written; false on an error.
    virtual bool flush() = 0;
    // Bytes received within the line's read time-outs: the read ends early
    // once the gap between bytes passes the interval time-out.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // Drops whatever both driver queues still hold.
    virtual void purge() = 0;
    virtual void pause(std::uint32_t milliseconds) = 0;
};

// Opens the line to the printer, nullptr when it cannot. Dialogs get one from
// whoever knows the port and speed the user chose.
using PrinterLineOpener = std::function<std::unique_ptr<PrinterLine>()>;

} // namespace tq350::link
