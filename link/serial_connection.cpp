#include "serial_connection.h"

#include "../res/resource.h"
#include "link/exchanges.h"
#include "link/serial_line_core.h"
#include "main_dialog.h"
#include "serial_io.h"

namespace tq350::link {

namespace {

DCB make_dcb(DWORD baud_rate) {
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

} // namespace

std::string port_device_path(const std::string& port_name) {
    return "\\\\.\\" + port_name;
}

HANDLE OpenPrinterPort(HWND main_dialog) {
    SerialIo& io = serial_io();
    UpdateWindow(main_dialog);
    char name[32] = {};
    if (GetDlgItemTextA(main_dialog, IDC_PORT, name, sizeof name) == 0)
        return INVALID_HANDLE_VALUE;
    HANDLE port = io.open(port_device_path(name).c_str());
    if (port == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    io.setup(port, input_queue_bytes, output_queue_bytes);

    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    HWND speeds = GetDlgItem(main_dialog, IDC_SPEED);
    LRESULT speed_index = SendMessageA(speeds, CB_GETCURSEL, 0, 0);
    DWORD baud = static_cast<DWORD>(SendMessageA(speeds, CB_GETITEMDATA, speed_index, 0));
    if (!io.set_state(port, make_dcb(baud))) {
        ClosePrinterPort(port);
        SetCursor(previous);
        return INVALID_HANDLE_VALUE;
    }
    io.set_timeouts(port, make_timeouts());
    io.escape(port, SETDTR);
    io.escape(port, SETRTS);
    PortLine line(port);
    if (!wake_and_greet(line)) {
        ClosePrinterPort(port);
        SetCursor(previous);
        return INVALID_HANDLE_VALUE;
    }
    if (HMENU menu = GetMenu(main_dialog))
        CheckMenuRadioItem(menu, IDM_SPEED_1200, IDM_SPEED_115200,
                           IDM_SPEED_1200 + static_cast<UINT>(speed_index), MF_BYCOMMAND);
    SetCursor(previous);
    return port;
}

void ClosePrinterPort(HANDLE port) {
    if (port == INVALID_HANDLE_VALUE)
        return;
    SerialIo& io = serial_io();
    io.flush(port);
    io.escape(port, CLRDTR);
    io.escape(port, CLRRTS);
    io.close(port);
    // The printer needs this long to notice the end of a connection.
    io.sleep(close_pause_ms);
}

bool WriteAll(HANDLE port, const void* bytes, DWORD count) {
    PortLine line(port);
    return write_all(line, std::span(static_cast<const uint8_t*>(bytes), count));
}

bool ReadExactly(HANDLE port, void* bytes, DWORD count) {
    PortLine line(port);
    return read_exactly(line, std::span(static_cast<uint8_t*>(bytes), count));
}

std::size_t PortLine::write(std::span<const std::uint8_t> bytes) {
    return serial_io().write(port_, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool PortLine::flush() {
    return serial_io().flush(port_);
}

std::size_t PortLine::read(std::span<std::uint8_t> buffer) {
    return serial_io().read(port_, buffer.data(), static_cast<DWORD>(buffer.size()));
}

void PortLine::purge() {
    serial_io().purge(port_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void PortLine::pause(std::uint32_t milliseconds) {
    serial_io().sleep(milliseconds);
}

void ShowCommunicationError(HWND main_dialog) {
    MessageBoxA(main_dialog, "Can NOT communicate with printer!", kMessageCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

} // namespace tq350::link
