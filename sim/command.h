// Commands of the TQ-350 as the virtual printer recognises them on its line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tq350::sim {

enum class CommandKind : std::uint8_t {
    // Connection and queries.
    greeting,
    info_request,
    initialize,
    power_request,
    status_request,
    magstripe_request,
    // Parameters.
    set_switch,
    set_density,
    set_auto_off,
    set_black_mark,
    set_irda_speed,
    set_speed,
    total_reset,
    power_off,
    bluetooth_address,
    // Service commands.
    short_test,
    long_test,
    beep,
    find_black_mark,
    // Logo.
    logo_define,
    logo_delete,
    logo_print,
    // Printing.
    feed,
    line_feed,
    text,
    set_user_chars,
    select_font,
    set_rotation,
    set_upside_down,
    set_char_spacing,
    set_left_margin,
    set_line_spacing,
    // Downloadable fonts.
    font_reset,
    font_define,
    // Barcode.
    set_barcode_width,
    set_barcode_height,
    set_barcode_font,
    set_barcode_text_position,
    barcode,
    // Bytes that make no command.
    unknown,
    truncated,
};

// The stable snake_case name used in the journal.
std::string_view command_name(CommandKind kind);

struct Command {
    CommandKind kind;
    std::vector<std::uint8_t> bytes; // exactly as received, command letters included

    bool operator==(const Command&) const = default;
};

// A named parameter of a command, for the journal and for tests. Strings hold the raw bytes.
using FieldValue = std::variant<std::int64_t, bool, std::string, std::vector<int>>;
struct Field {
    std::string name;
    FieldValue value;

    bool operator==(const Field&) const = default;
};

std::vector<Field> command_fields(const Command& command);

// Bytes per glyph in a font definition: font A is 12 x 24 dots in two bytes a row, font B 8 x 16.
inline constexpr std::size_t font_a_glyph_bytes = 48;
inline constexpr std::size_t font_b_glyph_bytes = 16;

// The logo area is 384 x 247 dots: at most 48 bytes a row.
inline constexpr int logo_max_row_bytes = 48;
inline constexpr int logo_max_rows = 247;

// Line speeds by the code of ESC S "0" ... "6".
inline constexpr int speed_table[] = {1200, 2400, 4800, 9600, 19200, 57600, 115200};

} // namespace tq350::sim
