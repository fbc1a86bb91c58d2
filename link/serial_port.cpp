#include "link/serial_port.h"

#include "link/exchanges.h"
#include "link/serial_io.h"
#include "link/serial_line_core.h"

namespace tq350::link {

namespace {

DCB make_dcb(std::uint32_t baud_rate) {
    const LineSettings line = printer_line_settings(baud_rate);
    DCB dcb{};
    dcb.DCBlength = line.dcb_length;
    dcb.BaudRate = line.baud_rate;
    dcb.fBinary = line.binary;
    dcb.fParity = line.parity_check;
    dcb.fOutxCtsFlow = line.out_cts_flow;
    dcb.fOutxDsrFlow = line.out_dsr_flow;
    dcb.fDtrControl = line.dtr_control;
    dcb.fDsrSensitivity = line.dsr_sensitivity;
    dcb.fTXContinueOnXoff = line.tx_continue_on_xoff;
    dcb.fOutX = line.out_x;
    dcb.fInX = line.in_x;
    dcb.fErrorChar = line.error_char_on_parity;
    dcb.fNull = line.discard_null;
    dcb.fRtsControl = line.rts_control;
    dcb.fAbortOnError = line.abort_on_error;
    dcb.XonLim = line.xon_limit;
    dcb.XoffLim = line.xoff_limit;
    dcb.ByteSize = line.byte_size;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stop_bits;
    dcb.XonChar = line.xon_char;
    dcb.XoffChar = line.xoff_char;
    dcb.ErrorChar = line.error_char;
    dcb.EofChar = line.eof_char;
    dcb.EvtChar = line.evt_char;
    return dcb;
}

COMMTIMEOUTS make_timeouts() {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = printer_timeouts.read_interval;
    timeouts.ReadTotalTimeoutMultiplier = printer_timeouts.read_total_multiplier;
    timeouts.ReadTotalTimeoutConstant = printer_timeouts.read_total_constant;
    timeouts.WriteTotalTimeoutMultiplier = printer_timeouts.write_total_multiplier;
    timeouts.WriteTotalTimeoutConstant = printer_timeouts.write_total_constant;
    return timeouts;
}

// The device path that opens a port by its listed name. Ports from COM10 up only
// open through the "\\.\" form, and it works for every other port as well.
std::string port_device_path(const std::string& port_name) {
    return "\\\\.\\" + port_name;
}

} // namespace

std::unique_ptr<SerialPort> open_serial_port(const std::string& port_name, std::uint32_t baud) {
    if (port_name.empty())
        return nullptr;
    SerialIo& io = serial_io();
    HANDLE handle = io.open(port_device_path(port_name).c_str());
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    auto port = std::make_unique<SerialPort>(handle);
    io.setup(handle, input_queue_bytes, output_queue_bytes);
    if (!io.set_state(handle, make_dcb(baud)))
        return nullptr;
    io.set_timeouts(handle, make_timeouts());
    io.escape(handle, SETDTR);
    io.escape(handle, SETRTS);
    if (!wake_and_greet(*port))
        return nullptr;
    return port;
}

SerialPort::~SerialPort() {
    SerialIo& io = serial_io();
    io.flush(handle_);
    io.escape(handle_, CLRDTR);
    io.escape(handle_, CLRRTS);
    io.close(handle_);
    // The printer needs this long to notice the end of a connection.
    io.sleep(close_pause_ms);
}

std::size_t SerialPort::write(std::span<const std::uint8_t> bytes) {
    return serial_io().write(handle_, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool SerialPort::flush() {
    return serial_io().flush(handle_);
}

std::size_t SerialPort::read(std::span<std::uint8_t> buffer) {
    return serial_io().read(handle_, buffer.data(), static_cast<DWORD>(buffer.size()));
}

void SerialPort::purge() {
    serial_io().purge(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void SerialPort::pause(std::uint32_t milliseconds) {
    serial_io().sleep(milliseconds);
}

} // namespace tq350::link
