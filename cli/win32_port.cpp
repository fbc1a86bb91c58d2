// The Windows side of tq350's port: the program's own COM port, and the
// ports Windows lists under SERIALCOMM.
#include "cli/port.h"

#include <windows.h>

#include <array>

#include "app/selection_lists.h"
#include "link/serial_port.h"
#include "win32/handles.h"

namespace tq350::cli {

std::unique_ptr<link::PrinterLine> open_printer_port(const std::string& name, std::uint32_t baud) {
    return link::open_serial_port(name, baud);
}

std::vector<std::string> list_serial_ports() {
    std::vector<std::string> ports;
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                      key.out()) != ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        std::array<char, kPortEnumBufferSize> name{};
        std::array<char, kPortEnumBufferSize> data{};
        DWORD name_size = name.size();
        DWORD data_size = data.size();
        DWORD type = 0;
        const LONG result = RegEnumValueA(key.get(), i, name.data(), &name_size, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &data_size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        if (const auto entry = accept_port_entry(
                type, std::span(data.data(), std::min<DWORD>(data_size, data.size()))))
            ports.push_back(entry->name);
    }
    return ports;
}

} // namespace tq350::cli
