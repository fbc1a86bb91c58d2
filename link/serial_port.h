// The COM port of a printer exchange: opened, configured, the printer woken and
// greeted; closed again with the pause the printer needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "link/printer_line.h"

namespace tq350::link {

// Owns an open COM port handle. Closing flushes, drops DTR and RTS, closes and
// pauses close_pause_ms, so the printer notices the end of the connection.
class SerialPort final : public PrinterLine {
  public:
    explicit SerialPort(HANDLE handle) : handle_(handle) {}
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort() override;

    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool flush() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void purge() override;
    void pause(std::uint32_t milliseconds) override;

  private:
    HANDLE handle_;
};

// Opens port_name at baud bits per second, raises DTR and RTS, wakes and greets
// the printer; nullptr on any failure (no message: the caller reports it).
std::unique_ptr<SerialPort> open_serial_port(const std::string& port_name, std::uint32_t baud);

} // namespace tq350::link
