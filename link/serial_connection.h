// One serial connection per printer exchange: open, configure, wake the printer,
// greet it; and close again with the pause the printer needs.
#pragma once

#include <windows.h>

#include <string>

#include "link/printer_line.h"

namespace tq350::link {

// The device path that opens a port by its listed name. Ports from COM10 up only
// open through the "\\.\" form, and it works for every other port as well.
std::string port_device_path(const std::string& port_name);

// Opens the port chosen in the main dialog at the speed chosen there. The caller
// owns the returned handle and gives it back to ClosePrinterPort;
// INVALID_HANDLE_VALUE on failure (no message: the caller reports it).
HANDLE OpenPrinterPort(HWND main_dialog);
// Flushes, drops the modem lines, closes and pauses; nothing for INVALID_HANDLE_VALUE.
void ClosePrinterPort(HANDLE port);

// Writes all bytes and flushes; false on a short count or a failed flush.
bool WriteAll(HANDLE port, const void* bytes, DWORD count);
// Reads exactly count bytes within the line's time-outs.
bool ReadExactly(HANDLE port, void* bytes, DWORD count);

// An open port as a PrinterLine, for the shared exchanges. Does not own it.
class PortLine final : public PrinterLine {
public:
    explicit PortLine(HANDLE port) : port_(port) {}
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool flush() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void purge() override;
    void pause(std::uint32_t milliseconds) override;

private:
    HANDLE port_;
};

// "Can NOT communicate with printer!", owned by the main dialog.
void ShowCommunicationError(HWND main_dialog);

} // namespace tq350::link
