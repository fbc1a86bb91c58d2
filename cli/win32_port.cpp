// The Windows side of tq350's port: the program's own COM port, and the
// ports Windows lists under SERIALCOMM.
#include "cli/port.h"

#include <windows.h>

#include "app/serial_ports.h"
#include "link/serial_port.h"

namespace tq350::cli {

std::unique_ptr<link::PrinterLine> open_printer_port(const std::string& name, std::uint32_t baud) {
    return link::open_serial_port(name, baud);
}

std::vector<std::string> list_serial_ports() {
    std::vector<std::string> names;
    for (const PortEntry& port : ListSerialPorts(HKEY_LOCAL_MACHINE, kSerialPortSubkey))
        names.push_back(port.name);
    return names;
}

} // namespace tq350::cli
