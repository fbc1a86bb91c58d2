#include "command_parser.h"

#include <algorithm>
#include <string_view>

namespace tq350::sim {
namespace {

constexpr std::uint8_t esc = 0x1B;
constexpr std::uint8_t gs = 0x1D;

// Commands of fixed length, written as the printer sees them; ".." stands for any byte.
struct FixedCommand {
    CommandKind kind;
    std::string_view pattern;
};

constexpr FixedCommand fixed_commands[] = {
    {CommandKind::greeting, "1B 40 00"},
    {CommandKind::info_request, "1B 40 1B 3D 01 1B 5A"},
    {CommandKind::initialize, "1B 40"},
    {CommandKind::power_request, "1B 60"},
    {CommandKind::status_request, "1B 76"},
    {CommandKind::magstripe_request, "1B 3F .. 00"},
    {CommandKind::set_switch, "1D 29 .. .."},
    {CommandKind::set_density, "1B 59 .."},
    {CommandKind::set_auto_off, "1B 78 .."},
    {CommandKind::set_black_mark, "1B 6C .."},
    {CommandKind::set_irda_speed, "1B 3E .."},
    {CommandKind::set_speed, "1B 53 .."},
    {CommandKind::total_reset, "1B 5F 1B 53 33 1B 3E .. 1B 2B"},
    {CommandKind::power_off, "1B 2B"},
    {CommandKind::bluetooth_address, "1B 3C .. .. .. .. .. .. .. .. .. .. .. .. .."},
    {CommandKind::short_test, "1B 54"},
    {CommandKind::long_test, "1B 2E"},
    {CommandKind::beep, "07"},
    {CommandKind::find_black_mark, "0C"},
    {CommandKind::logo_print, "1D 2F .."},
    {CommandKind::feed, "1B 4A .."},
    {CommandKind::line_feed, "0A"},
    {CommandKind::set_user_chars, "1B 25 .."},
    {CommandKind::select_font, "1B 21 .."},
    {CommandKind::set_rotation, "1B 56 .."},
    {CommandKind::set_upside_down, "1B 7B .."},
    {CommandKind::set_char_spacing, "1B 20 .."},
    {CommandKind::set_left_margin, "1D 4C .. .."},
    {CommandKind::set_line_spacing, "1B 33 .."},
    {CommandKind::font_reset, "1B 26 30"},
    {CommandKind::font_reset, "1B 26 31"},
    {CommandKind::set_barcode_width, "1D 77 .."},
    {CommandKind::set_barcode_height, "1D 68 .."},
    {CommandKind::set_barcode_font, "1D 66 .."},
    {CommandKind::set_barcode_text_position, "1D 48 .."},
};

int hex_digit(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

Match match_fixed(std::span<const std::uint8_t> bytes, const FixedCommand& command) {
    const std::size_t length = (command.pattern.size() + 1) / 3;
    const std::size_t n = std::min(bytes.size(), length);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view token = command.pattern.substr(3 * i, 2);
        if (token == "..")
            continue;
        if (bytes[i] != hex_digit(token[0]) * 16 + hex_digit(token[1]))
            return {};
    }
    if (bytes.size() < length)
        return {Match::Status::need_more, command.kind, bytes.size() + 1};
    return {Match::Status::complete, command.kind, length};
}

// GS * x y, then x bytes for each of y rows. A definition with no raster deletes the logo; the
// program sends it with one more 0x00, which belongs to it.
Match match_logo(std::span<const std::uint8_t> bytes, bool at_end) {
    if (bytes[0] != gs || (bytes.size() >= 2 && bytes[1] != 0x2A))
        return {};
    if (bytes.size() < 4)
        return {Match::Status::need_more, CommandKind::logo_define, bytes.size() + 1};
    const std::size_t raster = std::size_t{bytes[2]} * bytes[3];
    if (raster == 0) {
        if (bytes.size() >= 5)
            return {Match::Status::complete, CommandKind::logo_delete, bytes[4] == 0 ? 5u : 4u};
        if (at_end)
            return {Match::Status::complete, CommandKind::logo_delete, 4};
        return {Match::Status::need_more, CommandKind::logo_delete, 5};
    }
    if (bytes.size() < 4 + raster)
        return {Match::Status::need_more, CommandKind::logo_define, 4 + raster};
    return {Match::Status::complete, CommandKind::logo_define, 4 + raster};
}

// ESC & "2" (font A) or "3" (font B), first code, last code, then the glyph rows of each code.
Match match_font_define(std::span<const std::uint8_t> bytes) {
    if (bytes[0] != esc || (bytes.size() >= 2 && bytes[1] != 0x26))
        return {};
    if (bytes.size() >= 3 && bytes[2] != '2' && bytes[2] != '3')
        return {};
    if (bytes.size() < 5)
        return {Match::Status::need_more, CommandKind::font_define, bytes.size() + 1};
    const std::size_t glyph = bytes[2] == '2' ? font_a_glyph_bytes : font_b_glyph_bytes;
    const std::size_t count = bytes[4] >= bytes[3] ? bytes[4] - bytes[3] + 1u : 0u;
    const std::size_t length = 5 + count * glyph;
    if (bytes.size() < length)
        return {Match::Status::need_more, CommandKind::font_define, length};
    return {Match::Status::complete, CommandKind::font_define, length};
}

// GS k m n, then n data bytes.
Match match_barcode(std::span<const std::uint8_t> bytes) {
    if (bytes[0] != gs || (bytes.size() >= 2 && bytes[1] != 0x6B))
        return {};
    if (bytes.size() < 4)
        return {Match::Status::need_more, CommandKind::barcode, bytes.size() + 1};
    const std::size_t length = 4u + bytes[3];
    if (bytes.size() < length)
        return {Match::Status::need_more, CommandKind::barcode, length};
    return {Match::Status::complete, CommandKind::barcode, length};
}

// Keeps the first command that needs more bytes, else the longest complete one, so that ESC @
// alone is taken only once it can no longer be the greeting or the information request.
void combine(Match& best, const Match& m) {
    using S = Match::Status;
    if (m.status == S::need_more) {
        if (best.status != S::need_more)
            best = m;
        else
            best.length = std::min(best.length, m.length);
    } else if (m.status == S::complete && best.status != S::need_more &&
               (best.status == S::no_match || m.length > best.length)) {
        best = m;
    }
}

bool is_text(std::uint8_t b) {
    return b >= 0x20;
}

} // namespace

Match match_command(std::span<const std::uint8_t> bytes, bool at_end) {
    Match best;
    if (bytes.empty())
        return best;
    for (const FixedCommand& command : fixed_commands)
        combine(best, match_fixed(bytes, command));
    combine(best, match_logo(bytes, at_end));
    combine(best, match_font_define(bytes));
    combine(best, match_barcode(bytes));
    return best;
}

std::vector<Command> CommandParser::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Command> out;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (pending_.size() >= look_again_at_)
        parse(false, out);
    return out;
}

std::vector<Command> CommandParser::finish() {
    std::vector<Command> out;
    parse(true, out);
    end_run(out);
    if (!pending_.empty())
        out.push_back({CommandKind::truncated, std::move(pending_)});
    pending_.clear();
    look_again_at_ = 0;
    return out;
}

void CommandParser::parse(bool at_end, std::vector<Command>& out) {
    const std::span<const std::uint8_t> all(pending_);
    std::size_t pos = 0;
    look_again_at_ = 0;
    while (pos < all.size()) {
        const auto rest = all.subspan(pos);
        if (is_text(rest[0])) {
            const auto text_end = std::find_if_not(rest.begin(), rest.end(), is_text);
            const auto n = static_cast<std::size_t>(text_end - rest.begin());
            add_to_run(CommandKind::text, rest.first(n), out);
            pos += n;
            continue;
        }
        const Match m = match_command(rest, at_end);
        if (m.status == Match::Status::need_more) {
            look_again_at_ = m.length;
            break;
        }
        if (m.status == Match::Status::complete) {
            end_run(out);
            out.push_back({m.kind, {rest.begin(), rest.begin() + static_cast<long>(m.length)}});
            pos += m.length;
            continue;
        }
        // An unknown ESC or GS sequence takes its command letter with it, so that the letter
        // does not turn up as text; a control byte after it may start the next command.
        std::size_t n = 1;
        if ((rest[0] == esc || rest[0] == gs) && rest.size() >= 2 && is_text(rest[1]))
            n = 2;
        add_to_run(CommandKind::unknown, rest.first(n), out);
        pos += n;
    }
    // look_again_at_ counts from rest, which is where pending_ now starts.
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(pos));
}

void CommandParser::add_to_run(CommandKind kind, std::span<const std::uint8_t> bytes,
                               std::vector<Command>& out) {
    if (run_.kind != kind)
        end_run(out);
    run_.kind = kind;
    for (std::uint8_t b : bytes) {
        run_.bytes.push_back(b);
        if (run_.bytes.size() == max_run_bytes)
            end_run(out);
    }
}

void CommandParser::end_run(std::vector<Command>& out) {
    if (!run_.bytes.empty())
        out.push_back(std::move(run_));
    run_.bytes.clear();
}

} // namespace tq350::sim
