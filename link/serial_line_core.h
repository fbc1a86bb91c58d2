// Line settings, time-outs and pauses of a serial connection to the printer.
// The Win32 layer copies these values into its DCB and COMMTIMEOUTS and waits
// the pauses; nothing here touches a port.
#pragma once

#include <array>
#include <cstdint>

namespace tq350::link {

// DCB fields, one member per field the driver sees. Members the DCB has and
// this struct lacks (wReserved, wReserved1, fDummy2) stay zero.
struct LineSettings {
    std::uint32_t dcb_length;
    std::uint32_t baud_rate;
    bool binary;               // fBinary
    bool parity_check;         // fParity
    bool out_cts_flow;         // fOutxCtsFlow
    bool out_dsr_flow;         // fOutxDsrFlow
    std::uint8_t dtr_control;  // fDtrControl: DTR_CONTROL_*
    bool dsr_sensitivity;      // fDsrSensitivity
    bool tx_continue_on_xoff;  // fTXContinueOnXoff
    bool out_x;                // fOutX
    bool in_x;                 // fInX
    bool error_char_on_parity; // fErrorChar
    bool discard_null;         // fNull
    std::uint8_t rts_control;  // fRtsControl: RTS_CONTROL_*
    bool abort_on_error;       // fAbortOnError
    std::uint16_t xon_limit;
    std::uint16_t xoff_limit;
    std::uint8_t byte_size;
    std::uint8_t parity;    // NOPARITY = 0
    std::uint8_t stop_bits; // ONESTOPBIT = 0
    char xon_char;
    char xoff_char;
    char error_char;
    char eof_char;
    char evt_char;
};

// 8 data bits, no parity, one stop bit; the printer throttles us with XOFF/XON
// while its buffer is full. DTR starts low and is raised by hand after the
// port is configured, RTS is raised at once.
constexpr LineSettings printer_line_settings(std::uint32_t baud_rate) {
    return LineSettings{
        .dcb_length = 28,
        .baud_rate = baud_rate,
        .binary = true,
        // Checking is on although no parity bit is in use; the printer has
        // always been driven this way.
        .parity_check = true,
        .out_cts_flow = false,
        .out_dsr_flow = false,
        .dtr_control = 0,
        .dsr_sensitivity = false,
        .tx_continue_on_xoff = true,
        .out_x = true,
        .in_x = false,
        .error_char_on_parity = false,
        .discard_null = false,
        .rts_control = 1,
        .abort_on_error = false,
        .xon_limit = 0,
        .xoff_limit = 0,
        .byte_size = 8,
        .parity = 0,
        .stop_bits = 0,
        .xon_char = 0x11,
        .xoff_char = 0x13,
        .error_char = 0,
        .eof_char = 0,
        .evt_char = 0,
    };
}

// COMMTIMEOUTS, in milliseconds. A read of n bytes gives up after
// 10000 + 100 n ms, or once 150 ms pass without a byte; the card-reader test
// relies on that gap to end its open-ended read.
struct LineTimeouts {
    std::uint32_t read_interval;
    std::uint32_t read_total_multiplier;
    std::uint32_t read_total_constant;
    std::uint32_t write_total_multiplier;
    std::uint32_t write_total_constant;
};

inline constexpr LineTimeouts printer_timeouts{
    .read_interval = 150,
    .read_total_multiplier = 100,
    .read_total_constant = 10000,
    .write_total_multiplier = 5,
    .write_total_constant = 1000,
};

// Driver queue sizes for SetupComm. The output queue holds one whole chunk of
// a long download.
inline constexpr std::uint32_t input_queue_bytes = 256;
inline constexpr std::uint32_t output_queue_bytes = 2048;

// The printer ignores the line for a while after DTR and RTS come up.
inline constexpr std::uint32_t wake_up_pause_ms = 2500;
// ESC @ in the greeting resets the printer; the first request waits a moment.
inline constexpr std::uint32_t greeting_pause_ms = 2;
// Keeps back-to-back connections apart, so the printer (or a virtual port's
// driver) has seen the close before the next open.
inline constexpr std::uint32_t close_pause_ms = 300;

// ESC @ and a NUL, written right after the port is configured; no reply.
inline constexpr std::array<std::uint8_t, 3> port_greeting{0x1B, 0x40, 0x00};

} // namespace tq350::link
