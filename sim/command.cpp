#include "command.h"

#include <array>
#include <utility>

namespace tq350::sim {
namespace {

constexpr std::array<std::pair<CommandKind, std::string_view>, 41> names = {{
    {CommandKind::greeting, "greeting"},
    {CommandKind::info_request, "info_request"},
    {CommandKind::initialize, "initialize"},
    {CommandKind::power_request, "power_request"},
    {CommandKind::status_request, "status_request"},
    {CommandKind::magstripe_request, "magstripe_request"},
    {CommandKind::set_switch, "set_switch"},
    {CommandKind::set_density, "set_density"},
    {CommandKind::set_auto_off, "set_auto_off"},
    {CommandKind::set_black_mark, "set_black_mark"},
    {CommandKind::set_irda_speed, "set_irda_speed"},
    {CommandKind::set_speed, "set_speed"},
    {CommandKind::total_reset, "total_reset"},
    {CommandKind::power_off, "power_off"},
    {CommandKind::bluetooth_address, "bluetooth_address"},
    {CommandKind::short_test, "short_test"},
    {CommandKind::long_test, "long_test"},
    {CommandKind::beep, "beep"},
    {CommandKind::find_black_mark, "find_black_mark"},
    {CommandKind::logo_define, "logo_define"},
    {CommandKind::logo_delete, "logo_delete"},
    {CommandKind::logo_print, "logo_print"},
    {CommandKind::feed, "feed"},
    {CommandKind::line_feed, "line_feed"},
    {CommandKind::text, "text"},
    {CommandKind::set_user_chars, "set_user_chars"},
    {CommandKind::select_font, "select_font"},
    {CommandKind::set_rotation, "set_rotation"},
    {CommandKind::set_upside_down, "set_upside_down"},
    {CommandKind::set_char_spacing, "set_char_spacing"},
    {CommandKind::set_left_margin, "set_left_margin"},
    {CommandKind::set_line_spacing, "set_line_spacing"},
    {CommandKind::font_reset, "font_reset"},
    {CommandKind::font_define, "font_define"},
    {CommandKind::set_barcode_width, "set_barcode_width"},
    {CommandKind::set_barcode_height, "set_barcode_height"},
    {CommandKind::set_barcode_font, "set_barcode_font"},
    {CommandKind::set_barcode_text_position, "set_barcode_text_position"},
    {CommandKind::barcode, "barcode"},
    {CommandKind::unknown, "unknown"},
    {CommandKind::truncated, "truncated"},
}};

constexpr std::string_view density_percent[] = {"70", "80", "90", "100", "120", "150"};
constexpr std::string_view logo_modes[] = {"normal", "double_width", "double_height", "double"};
constexpr std::string_view text_positions[] = {"none", "above", "below", "above_and_below"};
constexpr std::string_view symbologies[] = {"UPC-A", "UPC-E",   "EAN13",  "EAN8",   "CODE39",
                                            "ITF",   "CODABAR", "CODE93", "CODE128"};

std::string text_of(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

std::string font_letter(int value) {
    return value & 1 ? "B" : "A";
}

} // namespace

std::vector<Field> command_fields(const Command& c) {
    const auto& b = c.bytes;
    auto arg = [&](std::size_t i) { return static_cast<std::int64_t>(b[i]); };
    switch (c.kind) {
    case CommandKind::set_switch:
        return {{"switch", arg(2)}, {"on", arg(3)}};
    case CommandKind::set_density: {
        std::vector<Field> f{{"level", arg(2)}};
        if (b[2] < std::size(density_percent))
            f.push_back({"percent", std::string(density_percent[b[2]])});
        return f;
    }
    case CommandKind::set_auto_off:
        return {{"minutes", arg(2)}};
    case CommandKind::set_black_mark:
    case CommandKind::set_user_chars:
    case CommandKind::set_upside_down:
        return {{"on", arg(2)}};
    case CommandKind::set_irda_speed: {
        std::vector<Field> f{{"code", arg(2)}};
        if (b[2] <= 1)
            f.push_back({"max_bps", std::int64_t{b[2] == 0 ? 115200 : 57600}});
        return f;
    }
    case CommandKind::total_reset: {
        std::vector<Field> f{{"irda_code", arg(7)}};
        if (b[7] <= 1)
            f.push_back({"irda_max_bps", std::int64_t{b[7] == 0 ? 115200 : 57600}});
        return f;
    }
    case CommandKind::set_speed: {
        const int code = b[2] - '0';
        std::vector<Field> f{{"code", std::int64_t{code}}};
        if (code >= 0 && code < static_cast<int>(std::size(speed_table)))
            f.push_back({"bps", std::int64_t{speed_table[code]}});
        return f;
    }
    case CommandKind::bluetooth_address:
        return {{"record", text_of(b, 2, 15)},
                {"address", text_of(b, 3, 15)},
                {"show_as_barcode", b[2] == 'x'}};
    case CommandKind::logo_define: {
        const int x = b[2], y = b[3];
        return {{"width_bytes", std::int64_t{x}},
                {"height", std::int64_t{y}},
                {"raster_bytes", std::int64_t{x * y}},
                {"fits", x <= logo_max_row_bytes && y <= logo_max_rows}};
    }
    case CommandKind::logo_print: {
        std::vector<Field> f{{"mode", arg(2)}};
        if (b[2] < std::size(logo_modes))
            f.push_back({"mode_name", std::string(logo_modes[b[2]])});
        return f;
    }
    case CommandKind::feed:
    case CommandKind::set_char_spacing:
    case CommandKind::set_line_spacing:
    case CommandKind::set_barcode_height:
        return {{"dots", arg(2)}};
    case CommandKind::set_left_margin:
        return {{"dots", arg(2) + 256 * arg(3)}};
    case CommandKind::text:
        return {{"text", text_of(b, 0, b.size())}};
    case CommandKind::select_font:
    case CommandKind::set_barcode_font:
        return {{"value", arg(2)}, {"font", font_letter(b[2])}};
    case CommandKind::set_rotation:
        return {{"value", arg(2)}};
    case CommandKind::font_reset:
        return {{"font", font_letter(b[2] - '0')}};
    case CommandKind::font_define: {
        const int first = b[3], last = b[4];
        return {{"font", font_letter(b[2] - '2')},
                {"first", std::int64_t{first}},
                {"last", std::int64_t{last}},
                {"glyphs", std::int64_t{last >= first ? last - first + 1 : 0}}};
    }
    case CommandKind::set_barcode_width:
        return {{"magnification", arg(2)}};
    case CommandKind::set_barcode_text_position: {
        std::vector<Field> f{{"position", arg(2)}};
        if (b[2] < std::size(text_positions))
            f.push_back({"position_name", std::string(text_positions[b[2]])});
        return f;
    }
    case CommandKind::barcode: {
        const int m = b[2];
        std::vector<Field> f{{"symbology", std::int64_t{m}}};
        if (m >= 0x41 && m < 0x41 + static_cast<int>(std::size(symbologies)))
            f.push_back({"symbology_name", std::string(symbologies[m - 0x41])});
        f.push_back({"length", arg(3)});
        f.push_back({"data", text_of(b, 4, b.size())});
        // CODE 128 data may open with a code-set selector such as "{B".
        if (m == 0x49 && b.size() >= 6 && b[4] == '{' && b[5] >= 'A' && b[5] <= 'C')
            f.push_back({"code_set", std::string(1, static_cast<char>(b[5]))});
        return f;
    }
    case CommandKind::magstripe_request: {
        std::vector<int> tracks;
        for (int k = 1; k <= 3; ++k)
            if (b[2] & (1 << (k - 1)))
                tracks.push_back(k);
        return {{"track_byte", arg(2)}, {"tracks", tracks}};
    }
    default:
        return {};
    }
}

std::string_view command_name(CommandKind kind) {
    for (const auto& [k, name] : names)
        if (k == kind)
            return name;
    return "?";
}

} // namespace tq350::sim
