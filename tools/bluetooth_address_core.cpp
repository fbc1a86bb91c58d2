#include "tools/bluetooth_address_core.h"

#include <algorithm>

namespace tq350::tools {

namespace {

// ASCII only: the record goes to the printer as text and the C library's
// classification would follow the user's locale.
bool is_upper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool is_lower(char c) {
    return c >= 'a' && c <= 'z';
}

char to_upper(char c) {
    return is_lower(c) ? static_cast<char>(c - 32) : c;
}

char to_lower(char c) {
    return is_upper(c) ? static_cast<char>(c + 32) : c;
}

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Replaces a non-hexadecimal first or second character by "0"; true when it did.
bool correct_leading_digits(std::string& text) {
    bool corrected = false;
    for (std::size_t i = 0; i < std::min(text.size(), address_field_digits); ++i) {
        if (!is_hex_digit(text[i])) {
            text[i] = '0';
            corrected = true;
        }
    }
    return corrected;
}

} // namespace

AddressFields show_address_record(std::string_view record) {
    record = record.substr(0, record.find('\0'));
    AddressFields fields;
    for (std::size_t i = 0; i < address_field_count; ++i) {
        fields.digits[i] = record.size() == address_record_length
                               ? std::string(record.substr(1 + 2 * i, address_field_digits))
                               : "00";
    }
    fields.shown_as_barcode = !record.empty() && record[0] == 'x';
    return fields;
}

AddressRecord confirm_address_record(std::string_view record, const AddressFields& fields) {
    record = record.substr(0, record.find('\0'));
    AddressRecord confirmed{};
    const char flag = record.empty() ? default_address_record[0] : record[0];
    confirmed[0] = fields.shown_as_barcode ? to_lower(flag) : to_upper(flag);
    for (std::size_t i = 0; i < address_field_count; ++i) {
        std::string digits = complete_address_field(fields.digits[i]);
        correct_leading_digits(digits);
        confirmed[1 + 2 * i] = to_upper(digits[0]);
        confirmed[2 + 2 * i] = to_upper(digits[1]);
    }
    return confirmed;
}

FieldUpdate update_address_field(std::string_view text, std::size_t caret) {
    FieldUpdate update;
    update.text = text;
    update.corrected = correct_leading_digits(update.text);
    update.caret = std::min(caret, update.text.size());
    update.advance = !update.corrected && update.text.size() == address_field_digits;
    return update;
}

std::string complete_address_field(std::string_view text) {
    switch (text.size()) {
    case 0:
        return "00";
    case 1:
        return "0" + std::string(text);
    default:
        return std::string(text);
    }
}

std::array<std::uint8_t, 2 + address_record_length>
build_address_command(const AddressRecord& record) {
    std::array<std::uint8_t, 2 + address_record_length> command{0x1B, 0x3C};
    std::ranges::transform(record, command.begin() + 2,
                           [](char c) { return static_cast<std::uint8_t>(c); });
    return command;
}

} // namespace tq350::tools
