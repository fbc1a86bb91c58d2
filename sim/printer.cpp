#include "printer.h"

#include <algorithm>

namespace tq350::sim {
namespace {

constexpr std::uint8_t reading_offset = 0x20; // voltage and temperature go out plus 0x20
constexpr std::uint8_t track_marker = 0xF0;   // track k follows the byte 0xF0 + k
constexpr int switch_6_bit = 0x20;            // never read by the program
constexpr std::size_t magstripe_reply_max = 256;

bool is_flow_control(std::uint8_t b) {
    return b == xon || b == xoff;
}

std::uint8_t reading_byte(int value) {
    return static_cast<std::uint8_t>((value + reading_offset) & 0xFF);
}

std::array<std::uint8_t, 32> block_of(const Profile& p, std::uint8_t switch_byte) {
    std::array<std::uint8_t, 32> block{};
    std::copy_n(p.name.begin(), std::min<std::size_t>(p.name.size(), 27), block.begin());
    block[27] = p.features_27;
    block[28] = p.features_28;
    block[31] = switch_byte;
    return block;
}

} // namespace

Printer::Printer(const Profile& profile)
    : profile_(profile), switches_(profile.switches), speed_(profile.speed) {}

std::array<std::uint8_t, 32> Printer::information_block() const {
    // The line would swallow 0x11 or 0x13; bit 5 is never read, so setting it keeps the byte
    // off the flow-control codes without changing what the program shows.
    std::uint8_t reported = switches_;
    if (is_flow_control(reported))
        reported |= switch_6_bit;
    return block_of(profile_, reported);
}

std::array<std::uint8_t, 2> Printer::power_reply() const {
    return {reading_byte(profile_.voltage_tenths), reading_byte(profile_.temperature)};
}

std::vector<std::uint8_t> Printer::magstripe_reply(std::uint8_t track_byte) const {
    std::vector<std::uint8_t> reply;
    for (int k = 1; k <= 3; ++k) {
        if (!(track_byte & (1 << (k - 1))))
            continue;
        reply.push_back(static_cast<std::uint8_t>(track_marker + k));
        const std::string& text = profile_.tracks[static_cast<std::size_t>(k - 1)];
        reply.insert(reply.end(), text.begin(), text.end());
    }
    if (reply.size() > magstripe_reply_max)
        reply.resize(magstripe_reply_max);
    return reply;
}

bool Printer::switch_on(int n) const {
    if (n == 8)
        return switch_8_;
    return n >= 1 && n <= 7 && (switches_ & (1 << (n - 1)));
}

void Printer::set_switch(int n, bool on) {
    if (n == 8) {
        switch_8_ = on;
    } else if (n >= 1 && n <= 7) {
        const auto bit = static_cast<std::uint8_t>(1 << (n - 1));
        switches_ = on ? switches_ | bit : switches_ & ~bit;
    }
}

void Printer::define_logo(const Command& command) {
    const auto& b = command.bytes;
    logo_.row_bytes = b[2];
    logo_.rows = b[3];
    logo_.raster.assign(b.begin() + 4, b.end());
}

void Printer::define_glyphs(const Command& command) {
    const auto& b = command.bytes;
    const bool font_b = b[2] == '3';
    const std::size_t glyph = font_b ? font_b_glyph_bytes : font_a_glyph_bytes;
    auto rows = b.begin() + 5;
    for (int code = b[3]; code <= b[4]; ++code) {
        fonts_[font_b ? 1 : 0].glyphs[static_cast<std::size_t>(code)].assign(
            rows, rows + static_cast<long>(glyph));
        rows += static_cast<long>(glyph);
    }
}

Outcome Printer::magstripe(std::uint8_t track_byte) const {
    if (!(profile_.features_27 & 0x02))
        return {std::nullopt, "no magstripe reader"};
    if (!profile_.card_swiped)
        return {std::nullopt, "no card swiped"};
    std::vector<std::uint8_t> bytes = magstripe_reply(track_byte);
    if (bytes.empty())
        return {std::nullopt, "no track asked for"};
    return {Reply{std::move(bytes), std::chrono::milliseconds(profile_.card_delay_ms)}, {}};
}

Outcome Printer::handle(const Command& command) {
    if (off_)
        return {std::nullopt, "printer is off until the port is closed"};
    const auto& b = command.bytes;
    switch (command.kind) {
    case CommandKind::info_request: {
        const auto block = information_block();
        return {Reply{{block.begin(), block.end()}}, {}};
    }
    case CommandKind::power_request: {
        const auto power = power_reply();
        return {Reply{{power.begin(), power.end()}}, {}};
    }
    case CommandKind::status_request:
        return {Reply{{status_byte()}}, {}};
    case CommandKind::magstripe_request:
        return magstripe(b[2]);
    case CommandKind::set_switch:
        if (b[2] < 1 || b[2] > 8)
            return {std::nullopt, "no such switch"};
        set_switch(b[2], b[3] != 0);
        break;
    case CommandKind::set_density:
        if (b[2] > 5)
            return {std::nullopt, "no such density"};
        settings_.density = b[2];
        break;
    case CommandKind::set_auto_off:
        settings_.auto_off_minutes = b[2];
        break;
    case CommandKind::set_black_mark:
        settings_.black_mark = b[2] != 0;
        break;
    case CommandKind::set_irda_speed:
        settings_.irda_code = b[2];
        break;
    case CommandKind::set_speed: {
        const int code = b[2] - '0';
        if (code < 0 || code >= static_cast<int>(std::size(speed_table)))
            return {std::nullopt, "no such speed"};
        next_speed_ = speed_table[code];
        break;
    }
    case CommandKind::total_reset:
        switches_ = profile_.switches;
        switch_8_ = false;
        settings_ = PrinterSettings{};
        settings_.irda_code = b[7];
        next_speed_ = 9600;
        off_ = true;
        break;
    case CommandKind::power_off:
        off_ = true;
        break;
    case CommandKind::bluetooth_address:
        settings_.bluetooth_record.assign(b.begin() + 2, b.end());
        break;
    case CommandKind::logo_define:
        if (b[2] > logo_max_row_bytes || b[3] > logo_max_rows)
            return {std::nullopt, "logo larger than the logo area, not stored"};
        define_logo(command);
        break;
    case CommandKind::logo_delete:
        logo_ = Logo{};
        break;
    case CommandKind::set_user_chars:
        settings_.user_chars = b[2] != 0;
        break;
    case CommandKind::select_font:
        settings_.print_mode = b[2];
        break;
    case CommandKind::set_rotation:
        settings_.rotation = b[2];
        break;
    case CommandKind::set_upside_down:
        settings_.upside_down = b[2] != 0;
        break;
    case CommandKind::set_char_spacing:
        settings_.char_spacing = b[2];
        break;
    case CommandKind::set_left_margin:
        settings_.left_margin = b[2] + 256 * b[3];
        break;
    case CommandKind::set_line_spacing:
        settings_.line_spacing = b[2];
        break;
    case CommandKind::font_reset:
        fonts_[b[2] == '1' ? 1 : 0] = DownloadedFont{};
        break;
    case CommandKind::font_define:
        define_glyphs(command);
        break;
    case CommandKind::set_barcode_width:
        settings_.barcode_width = b[2];
        break;
    case CommandKind::set_barcode_height:
        settings_.barcode_height = b[2];
        break;
    case CommandKind::set_barcode_font:
        settings_.barcode_font = b[2];
        break;
    case CommandKind::set_barcode_text_position:
        settings_.barcode_text_position = b[2];
        break;
    default:
        break;
    }
    return {};
}

void Printer::power_cycle() {
    switches_ = profile_.switches;
    switch_8_ = false;
    settings_ = PrinterSettings{};
    speed_ = profile_.speed;
    next_speed_.reset();
    off_ = false;
}

std::optional<int> Printer::end_connection() {
    off_ = false;
    const std::optional<int> next = next_speed_;
    next_speed_.reset();
    if (!next || *next == speed_)
        return std::nullopt;
    speed_ = *next;
    return speed_;
}

std::string check_profile_replies(const Profile& p) {
    struct Source {
        std::string_view key;
        std::string_view reply;
        std::vector<std::uint8_t> bytes;
    };
    const auto block = block_of(p, p.switches);
    std::vector<Source> sources = {
        {"name", "information block", {block.begin(), block.begin() + 27}},
        {"features", "information block", {block[27], block[28]}},
        {"switches", "information block", {block[31]}},
        {"voltage_tenths", "power reply", {reading_byte(p.voltage_tenths)}},
        {"temperature", "power reply", {reading_byte(p.temperature)}},
        {"status", "status reply", {p.status}},
    };
    for (std::size_t k = 0; k < 3; ++k)
        sources.push_back({k == 0   ? "track1"
                           : k == 1 ? "track2"
                                    : "track3",
                           "magstripe reply",
                           {p.tracks[k].begin(), p.tracks[k].end()}});
    for (const Source& s : sources) {
        const auto hit = std::find_if(s.bytes.begin(), s.bytes.end(), is_flow_control);
        if (hit != s.bytes.end())
            return std::string(s.key) + " would put " +
                   (*hit == xon ? "0x11 (XON)" : "0x13 (XOFF)") + " into the " +
                   std::string(s.reply) +
                   ", and the program's XON/XOFF line never delivers those bytes";
    }
    std::size_t magstripe_bytes = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        const std::string& t = p.tracks[k];
        if (std::any_of(t.begin(), t.end(), [](char c) {
                const auto b = static_cast<std::uint8_t>(c);
                return b == 0 || (b > track_marker && b <= track_marker + 3);
            }))
            return "track" + std::to_string(k + 1) +
                   " holds a zero byte or a track marker 0xF1-0xF3, which would end the track";
        magstripe_bytes += 1 + t.size();
    }
    if (magstripe_bytes > magstripe_reply_max)
        return "the three tracks and their markers take " + std::to_string(magstripe_bytes) +
               " bytes; the reply has room for 256";
    return {};
}

} // namespace tq350::sim
