// The information query: its three requests, the replies the printer sends
// back, and what the main dialog shows and enables from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tq350::link {

// ESC @, ESC = 1, ESC Z: answered with the 32-byte information block.
inline constexpr std::array<std::uint8_t, 7> information_request{0x1B, 0x40, 0x1B, 0x3D,
                                                                 0x01, 0x1B, 0x5A};
// ESC `: answered with two bytes, battery voltage and head temperature.
inline constexpr std::array<std::uint8_t, 2> power_request{0x1B, 0x60};
// ESC v: answered with one status byte.
inline constexpr std::array<std::uint8_t, 2> status_request{0x1B, 0x76};

// Each reply has a fixed length; a shorter read is a failed exchange.
using InformationBlock = std::array<std::uint8_t, 32>;
using PowerReply = std::array<std::uint8_t, 2>;
inline constexpr std::size_t status_reply_length = 1;

inline constexpr std::size_t capability_count = 13;
// Switches 1 to 7; switch 8 is not reported by the printer and comes from the
// stored settings.
inline constexpr std::size_t reported_switch_count = 7;
// A name number from this one on means the printer takes a Bluetooth address.
inline constexpr int first_bluetooth_name_number = 204;

// What the main dialog shows from one information block.
struct PrinterInfo {
    bool has_info;    // false: the printer sent no information (byte 0 is zero)
    std::string name; // 8-bit text in the Windows ANSI code page
    int name_number;  // the decimal number at the end of the name
    std::array<bool, capability_count> capabilities; // capability list items 0..12
    // Switch list items 0..6 (switches 1..7). Item 5 (switch 6) is not reported
    // and always reads false; the dialog leaves that item alone.
    std::array<bool, reported_switch_count> switches;
    bool black_marks;      // enables "Enable Black Mark Mode" and "Find Blackmark"
    bool magstripe_reader; // enables "Magstripe reader..."
    bool bluetooth_number; // enables "Set Bluetooth Number"
    bool raw_irda;         // selects "Raw" instead of "Reliable"
    bool fahrenheit;       // temperature unit F instead of C
};

PrinterInfo decode_printer_info(const InformationBlock& block);

// The name number: bytes 22 to 26 read as a decimal number (leading blanks,
// an optional sign, digits up to the first non-digit; 0 when there are none).
// It never reads past byte 26: byte 27 holds feature bits, which can look like
// a digit.
int read_name_number(const InformationBlock& block);

struct PowerReading {
    std::uint8_t voltage_tenths; // battery voltage in tenths of a volt
    std::uint8_t temperature;    // head temperature in whole degrees
};

// The printer adds 0x20 to both values; a byte below 0x20 wraps around.
PowerReading decode_power_reply(const PowerReply& reply);

// String-table identifier of the status text for a status byte: paper out
// wins over overheat, overheat over low battery.
int status_text_id(std::uint8_t status);

// "7.4 V" for 74.
std::string format_voltage(std::uint8_t voltage_tenths);
// "25\xB0 C": the degree sign is the single byte 0xB0 of the Windows ANSI code
// page, then a blank and the unit letter.
std::string format_temperature(std::uint8_t temperature, bool fahrenheit);

} // namespace tq350::link
