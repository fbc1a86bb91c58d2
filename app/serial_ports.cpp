#include "app/serial_ports.h"

#include <algorithm>
#include <array>

#include "win32/handles.h"

namespace tq350 {

std::vector<PortEntry> ListSerialPorts(HKEY root, const char* subkey) {
    std::vector<PortEntry> ports;
    RegKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        std::array<char, kPortEnumBufferSize> name{};
        std::array<char, kPortEnumBufferSize> data{};
        DWORD name_size = name.size();
        DWORD data_size = data.size();
        DWORD type = 0;
        const LONG status = RegEnumValueA(key.get(), index, name.data(), &name_size, nullptr,
                                          &type, reinterpret_cast<BYTE*>(data.data()), &data_size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        if (std::optional<PortEntry> port = accept_port_entry(
                type, std::span(data.data(), std::min<size_t>(data_size, data.size()))))
            ports.push_back(std::move(*port));
    }
    return ports;
}

} // namespace tq350
