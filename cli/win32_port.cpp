// The Windows side of tq350's port: the program's own COM port, and the
// ports Windows lists under SERIALCOMM.
#include "cli/port.h"

#include <windows.h>

#include <array>

#include "app/selection_lists.h"
#include "link/serial_port.h"

namespace tq350::cli {

namespace {

class RegistryKey {
  public:
    RegistryKey(HKEY parent, const char* path) {
        if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

} // namespace

std::unique_ptr<link::PrinterLine> open_printer_port(const std::string& name, std::uint32_t baud) {
    return link::open_serial_port(name, baud);
}

std::vector<std::string> list_serial_ports() {
    std::vector<std::string> ports;
    const RegistryKey key(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
    if (!key.get())
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
