#include "link/printer_info_core.h"

#include "res/resource.h"

#include <cstdio>

namespace tq350::link {

namespace {

constexpr std::size_t name_field_length = 27;
constexpr std::size_t name_number_first = 22;
constexpr std::size_t first_feature_byte = 27;
constexpr std::size_t second_feature_byte = 28;
constexpr std::size_t switch_byte = 31;
// Feature bytes carry seven capability items each; their top bit is unused.
constexpr std::size_t capabilities_per_byte = 7;

// Bit positions of the features that drive more than a check box.
constexpr int magstripe_bit = 1;  // first feature byte
constexpr int fahrenheit_bit = 5; // first feature byte
constexpr int black_mark_bit = 2; // second feature byte
constexpr int switch_6_bit = 5;   // switch byte: not reported by the printer
constexpr int raw_irda_bit = 6;   // switch byte: switch 7

bool bit_set(std::uint8_t byte, int bit) {
    return (byte >> bit & 1u) != 0;
}

bool is_blank(std::uint8_t c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

} // namespace

int read_name_number(const InformationBlock& block) {
    std::size_t i = name_number_first;
    while (i < name_field_length && is_blank(block[i])) {
        ++i;
    }
    bool negative = false;
    if (i < name_field_length && (block[i] == '+' || block[i] == '-')) {
        negative = block[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < name_field_length && is_digit(block[i]); ++i) {
        value = value * 10 + (block[i] - '0');
    }
    return negative ? -value : value;
}

PrinterInfo decode_printer_info(const InformationBlock& block) {
    PrinterInfo info{};
    info.has_info = block[0] != 0;

    std::size_t name_length = 0;
    while (name_length < name_field_length && block[name_length] != 0) {
        ++name_length;
    }
    info.name.assign(reinterpret_cast<const char*>(block.data()), name_length);
    info.name_number = read_name_number(block);

    // Without information every feature and switch reads as off. The
    // temperature unit and the Bluetooth item do not depend on byte 0.
    if (info.has_info) {
        for (std::size_t i = 0; i < capability_count; ++i) {
            const std::uint8_t byte = block[first_feature_byte + i / capabilities_per_byte];
            info.capabilities[i] = bit_set(byte, static_cast<int>(i % capabilities_per_byte));
        }
        for (std::size_t k = 0; k < reported_switch_count; ++k) {
            info.switches[k] = static_cast<int>(k) != switch_6_bit &&
                               bit_set(block[switch_byte], static_cast<int>(k));
        }
        info.black_marks = bit_set(block[second_feature_byte], black_mark_bit);
        info.magstripe_reader = bit_set(block[first_feature_byte], magstripe_bit);
        info.raw_irda = bit_set(block[switch_byte], raw_irda_bit);
    }
    info.bluetooth_number = info.name_number >= first_bluetooth_name_number;
    info.fahrenheit = bit_set(block[first_feature_byte], fahrenheit_bit);
    return info;
}

PowerReading decode_power_reply(const PowerReply& reply) {
    return PowerReading{
        .voltage_tenths = static_cast<std::uint8_t>(reply[0] - 0x20),
        .temperature = static_cast<std::uint8_t>(reply[1] - 0x20),
    };
}

int status_text_id(std::uint8_t status) {
    if (status & 0x04) {
        return IDS_STATUS_OUT_OF_PAPER;
    }
    if (status & 0x08) {
        return IDS_STATUS_OVERHEAT;
    }
    if (status & 0x40) {
        return IDS_STATUS_LOW_BATTERY;
    }
    return IDS_STATUS_ONLINE;
}

std::string format_voltage(std::uint8_t voltage_tenths) {
    char text[16];
    std::snprintf(text, sizeof text, "%2.1f V", voltage_tenths * 0.1);
    return text;
}

std::string format_temperature(std::uint8_t temperature, bool fahrenheit) {
    char text[16];
    std::snprintf(text, sizeof text, "%d\xB0 %c", int{temperature}, fahrenheit ? 'F' : 'C');
    return text;
}

} // namespace tq350::link
