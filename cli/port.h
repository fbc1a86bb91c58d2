// The printer's serial port, opened from a name and a speed: a termios tty on
// Linux, the program's own COM port on Windows. Either way the line comes back
// configured, with DTR and RTS up and the printer woken and greeted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/printer_line.h"

namespace tq350::cli {

// Nothing when the port cannot be opened or configured, or the greeting did
// not go out. Destroying the line flushes it, drops DTR and RTS, closes the
// port and waits the close pause.
std::unique_ptr<link::PrinterLine> open_printer_port(const std::string& name, std::uint32_t baud);

// The serial ports present, in the order a user would look for them.
std::vector<std::string> list_serial_ports();

} // namespace tq350::cli
