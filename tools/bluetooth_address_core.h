// The Bluetooth address record, its six two-digit fields in the address dialog,
// the typing rules of those fields, and the ESC < command that stores the
// record in the printer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq350::tools {

// A flag character and the six address bytes as 12 hexadecimal digits, no
// terminator. The printer gets the digits as text, two characters per byte.
inline constexpr std::size_t address_record_length = 13;
using AddressRecord = std::array<char, address_record_length>;

// Flag "x": the printer may print the address as a barcode in its self test;
// "X": it may not.
inline constexpr AddressRecord default_address_record{'X', '0', '0', '0', '0', '0', '0',
                                                      '0', '0', '0', '0', '0', '0'};

inline constexpr std::size_t address_field_count = 6;
inline constexpr std::size_t address_field_digits = 2; // EM_LIMITTEXT of each field

// What the dialog shows: the texts of the six fields, left to right, and the
// check box "Allow address to be shown as barcode in self test".
struct AddressFields {
    std::array<std::string, address_field_count> digits;
    bool shown_as_barcode = false;
};

// The dialog's start. `record` is read up to its first NUL; unless exactly 13
// characters remain, every field starts at "00". The check box is taken from
// the first character either way.
AddressFields show_address_record(std::string_view record);

// The record stored on OK. The flag keeps the caller's character and only
// changes its case to match the check box; an empty record starts from "X".
// Each field is first completed as on leaving it, and any character that is
// not a hexadecimal digit becomes "0", so the record always holds 12 digits.
AddressRecord confirm_address_record(std::string_view record, const AddressFields& fields);

// What the dialog does after the user changed a field's text (EN_UPDATE).
struct FieldUpdate {
    bool corrected = false; // set the field to `text` and its caret to `caret`
    std::string text;
    std::size_t caret = 0;
    bool advance = false; // focus the next tab stop and select all its text
};

// A non-hexadecimal first or second character becomes "0", and the field keeps
// the focus so that the user sees the replacement. Otherwise a field that now
// holds two characters hands the focus on, and since the next field's text is
// then selected, the next two digits typed replace it. `caret` is where the
// user's typing left the caret; a correction keeps it there, although setting
// the text moves it.
FieldUpdate update_address_field(std::string_view text, std::size_t caret);

// A field being left (EN_KILLFOCUS): empty becomes "00", one character gets a
// "0" in front. Longer texts stay as they are.
std::string complete_address_field(std::string_view text);

// ESC < and the 13 characters of the record, 15 bytes.
std::array<std::uint8_t, 2 + address_record_length>
build_address_command(const AddressRecord& record);

} // namespace tq350::tools
