#include "printout.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tq350::sim {
namespace {

constexpr int density_percent[] = {70, 80, 90, 100, 120, 150};
constexpr int max_magnification = 6;
constexpr int max_text_position = 3;

// The test pages end with this much blank paper, and show the Bluetooth address as a barcode of
// this size.
constexpr int test_page_tail_dots = 80;
constexpr BarcodeStyle address_barcode{2, 48, 2, true, 0};
constexpr std::uint8_t code128 = 0x49;

struct LogoMode {
    int across;
    int down;
};
constexpr LogoMode logo_modes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};

std::uint8_t gray_of(int density) {
    return density_gray[std::clamp(density, 0, static_cast<int>(std::size(density_gray)) - 1)];
}

int clamp_margin(int dots) {
    return std::clamp(dots, 0, paper_width_dots - 1);
}

// Breaks text at blanks into lines of at most `columns` characters.
std::vector<std::string> wrapped(const std::string& text, std::size_t columns) {
    std::vector<std::string> lines{""};
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        std::string& line = lines.back();
        if (!line.empty() && line.size() + 1 + word.size() > columns)
            lines.push_back(word);
        else
            line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return lines;
}

std::string features_text(const Profile& p) {
    std::string text;
    for (const FeatureName& f : feature_names)
        if ((f.byte == 27 ? p.features_27 : p.features_28) & (1 << f.bit))
            text += (text.empty() ? "" : " ") + std::string(f.name);
    return text.empty() ? "none" : text;
}

std::string status_text(std::uint8_t status) {
    return status & 0x40 ? "battery low" : "on-line";
}

} // namespace

void Paper::print(const DotImage& dots, int x, std::uint8_t gray) {
    const int top = image_.height;
    feed(dots.height());
    for (int y = 0; y < dots.height(); ++y)
        for (int dx = 0; dx < dots.width() && x + dx < paper_width_dots; ++dx)
            if (dots.at(dx, y)) {
                std::uint8_t& dot =
                    image_.gray[static_cast<std::size_t>(top + y) * paper_width_dots + x + dx];
                dot = std::min(dot, gray);
            }
}

void Paper::feed(int dots) {
    if (dots <= 0)
        return;
    image_.height += dots;
    image_.gray.resize(static_cast<std::size_t>(image_.height) * paper_width_dots, white);
}

TextStyle text_style(const PrinterSettings& s) {
    return {(s.print_mode & 1) != 0, s.user_chars, s.rotation != 0, s.char_spacing,
            clamp_margin(s.left_margin)};
}

LineStyle line_style(const PrinterSettings& s) {
    return {s.upside_down, s.line_spacing, gray_of(s.density)};
}

BarcodeStyle barcode_style(const PrinterSettings& s) {
    return {s.barcode_width, s.barcode_height, s.barcode_text_position, (s.barcode_font & 1) != 0,
            clamp_margin(s.left_margin)};
}

Printout::Printout(const ResidentFonts& fonts) : fonts_(fonts) {}

Paper Printout::take_paper() {
    return std::exchange(paper_, Paper{});
}

DotImage Printout::glyph(std::uint8_t code, const TextStyle& style, const Printer* printer) const {
    const GlyphSet& set = style.font_b ? fonts_.b : fonts_.a;
    const std::vector<std::uint8_t>* rows = &set.glyphs[code];
    // A code never downloaded prints from the resident table, as on the real printer.
    if (style.user_chars && printer && !printer->font(style.font_b).glyphs[code].empty())
        rows = &printer->font(style.font_b).glyphs[code];
    const DotImage dots = from_glyph_rows(*rows, set.width, set.height);
    return style.turned ? turned_clockwise(dots) : dots;
}

void Printout::add_text(std::span<const std::uint8_t> text, const TextStyle& text_style,
                        const LineStyle& line_style, const Printer* printer) {
    for (std::uint8_t code : text) {
        DotImage dots = glyph(code, text_style, printer);
        if (!line_.empty() && line_x_ + dots.width() > paper_width_dots) {
            print_line(line_style);
            paper_.feed(line_style.line_spacing);
        }
        if (line_.empty())
            line_x_ = text_style.left_margin;
        const int width = dots.width();
        line_.push_back({line_x_, std::move(dots)});
        line_x_ += width + text_style.char_spacing;
    }
}

void Printout::print_line(const LineStyle& style) {
    if (line_.empty())
        return;
    int height = 0;
    for (const PlacedGlyph& g : line_)
        height = std::max(height, g.dots.height());
    // Characters of different heights stand on one base line.
    DotImage band(paper_width_dots, height);
    for (const PlacedGlyph& g : line_)
        band.draw(g.dots, g.x, height - g.dots.height());
    paper_.print(style.upside_down ? turned_over(band) : band, 0, style.gray);
    line_.clear();
}

void Printout::line_feed(const TextStyle& text_style, const LineStyle& line_style) {
    if (line_.empty()) {
        // An empty line is as high as a character of the current font would make it.
        const GlyphSet& set = text_style.font_b ? fonts_.b : fonts_.a;
        paper_.feed(text_style.turned ? set.width : set.height);
    }
    print_line(line_style);
    paper_.feed(line_style.line_spacing);
}

void Printout::end_line(const Printer& printer) {
    print_line(line_style(printer.settings()));
}

std::string Printout::print_logo(int mode, const Printer& printer) {
    if (mode < 0 || mode >= static_cast<int>(std::size(logo_modes)))
        return "no such logo mode: nothing printed";
    const Logo& logo = printer.logo();
    if (logo.raster.empty())
        return "no logo stored: nothing printed";
    const PrinterSettings& s = printer.settings();
    print_line(line_style(s));
    const LogoMode m = logo_modes[mode];
    paper_.print(enlarged(from_logo_rows(logo.raster, logo.row_bytes, logo.rows), m.across, m.down),
                 clamp_margin(s.left_margin), gray_of(s.density));
    return {};
}

std::string Printout::print_barcode(std::uint8_t symbology, std::span<const std::uint8_t> data,
                                    const BarcodeStyle& style, std::uint8_t gray) {
    if (style.magnification < 1 || style.magnification > max_magnification)
        return "rejected: magnification " + std::to_string(style.magnification) + " is not 1 to 6";
    if (style.height < 1)
        return "rejected: bars 0 dots high";
    if (style.text_position < 0 || style.text_position > max_text_position)
        return "rejected: no such text position " + std::to_string(style.text_position);
    Barcode barcode;
    std::string reason;
    if (!encode_barcode(symbology, data, barcode, reason))
        return "rejected: " + reason;
    const int bars_width = static_cast<int>(barcode.modules.size()) * style.magnification;
    if (style.left_margin + bars_width > paper_width_dots)
        return "rejected: " + std::to_string(bars_width) + " dots wide, from dot " +
               std::to_string(style.left_margin) + " that is past the paper's edge";

    const GlyphSet& font = style.font_b ? fonts_.b : fonts_.a;
    const bool above = style.text_position & 1;
    const bool below = style.text_position & 2;
    const int text_height = font.height;
    const int bars_top = above ? text_height : 0;
    DotImage band(paper_width_dots, bars_top + style.height + (below ? text_height : 0));
    for (std::size_t m = 0; m < barcode.modules.size(); ++m)
        if (barcode.modules[m])
            for (int y = 0; y < style.height; ++y)
                for (int k = 0; k < style.magnification; ++k)
                    band.set(style.left_margin + static_cast<int>(m) * style.magnification + k,
                             bars_top + y);
    // The text is centred under or over the bars, in the resident font.
    const int text_width = static_cast<int>(barcode.text.size()) * font.width;
    const int text_x = style.left_margin + (bars_width - text_width) / 2;
    for (std::size_t i = 0; i < barcode.text.size(); ++i) {
        const auto code = static_cast<std::uint8_t>(barcode.text[i]);
        const DotImage dots = from_glyph_rows(font.glyphs[code], font.width, font.height);
        const int x = text_x + static_cast<int>(i) * font.width;
        if (above)
            band.draw(dots, x, 0);
        if (below)
            band.draw(dots, x, bars_top + style.height);
    }
    paper_.print(band, 0, gray);
    return {};
}

void Printout::print_text_line(std::string_view text, bool font_b, std::uint8_t gray) {
    TextStyle text_style;
    text_style.font_b = font_b;
    const LineStyle line_style{false, 0, gray};
    add_text(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), text_style,
             line_style, nullptr);
    line_feed(text_style, line_style);
}

// The printer's own page: who it is and how it is set, and for the long test both character
// tables. It prints with its own styles and leaves the user's as they were.
void Printout::self_test(const Printer& printer, bool with_tables) {
    const PrinterSettings& s = printer.settings();
    const Profile& p = printer.profile();
    const std::uint8_t gray = gray_of(s.density);
    const std::size_t columns_b = paper_width_dots / fonts_.b.width;
    print_line(line_style(s));

    print_text_line(with_tables ? "LONG SELF TEST" : "SELF TEST", false, gray);
    std::vector<std::string> lines;
    for (const std::string& l : wrapped("Name: " + p.name, columns_b))
        lines.push_back(l);
    for (const std::string& l : wrapped("Features: " + features_text(p), columns_b))
        lines.push_back(l);
    std::string switches = "Switches 1-8:";
    for (int n = 1; n <= 8; ++n)
        switches += printer.switch_on(n) ? " 1" : " 0";
    lines.push_back(switches);
    lines.push_back("Speed: " + std::to_string(printer.speed()) + " bps");
    lines.push_back("Density: " + std::to_string(density_percent[std::clamp(s.density, 0, 5)]) +
                    " %");
    char readings[64];
    std::snprintf(readings, sizeof readings, "Battery: %d.%d V  Head: %d %s", p.voltage_tenths / 10,
                  p.voltage_tenths % 10, p.temperature, p.features_27 & 0x20 ? "F" : "C");
    lines.push_back(readings);
    lines.push_back("Status: " + status_text(p.status));
    const std::string& record = s.bluetooth_record;
    if (record.size() == 13)
        lines.push_back("Bluetooth: " + record.substr(1));
    for (const std::string& l : lines)
        print_text_line(l, true, gray);
    // The address record's lower-case flag allows the address as a barcode.
    if (record.size() == 13 && record[0] == 'x') {
        const std::string address = record.substr(1);
        print_barcode(
            code128,
            std::span(reinterpret_cast<const std::uint8_t*>(address.data()), address.size()),
            address_barcode, gray);
    }

    if (with_tables) {
        std::vector<std::uint8_t> codes;
        for (int c = 0x20; c <= 0xFF; ++c)
            codes.push_back(static_cast<std::uint8_t>(c));
        for (const bool font_b : {false, true}) {
            TextStyle text_style;
            text_style.font_b = font_b;
            const LineStyle line_style{false, 0, gray};
            paper_.feed(fonts_.b.height);
            print_text_line(font_b ? "Font B, 8 x 16" : "Font A, 12 x 24", true, gray);
            add_text(codes, text_style, line_style, nullptr);
            line_feed(text_style, line_style);
        }
    }
    paper_.feed(test_page_tail_dots);
}

std::string Printout::print(const Command& command, const Printer& printer) {
    const auto& b = command.bytes;
    switch (command.kind) {
    case CommandKind::text:
    case CommandKind::line_feed:
    case CommandKind::feed:
    case CommandKind::logo_print:
    case CommandKind::barcode:
    case CommandKind::short_test:
    case CommandKind::long_test:
        break;
    default:
        return {};
    }
    if (printer.status_byte() & status_paper_out)
        return "out of paper: nothing printed";
    if (printer.status_byte() & status_overheat)
        return "head too hot: nothing printed";
    const PrinterSettings& s = printer.settings();
    switch (command.kind) {
    case CommandKind::text:
        add_text(b, text_style(s), line_style(s), &printer);
        break;
    case CommandKind::line_feed:
        line_feed(text_style(s), line_style(s));
        break;
    case CommandKind::feed:
        print_line(line_style(s));
        paper_.feed(b[2]);
        break;
    case CommandKind::logo_print:
        return print_logo(b[2], printer);
    case CommandKind::barcode: {
        print_line(line_style(s));
        return print_barcode(b[2], std::span(b).subspan(4), barcode_style(s), gray_of(s.density));
    }
    case CommandKind::short_test:
    case CommandKind::long_test:
        self_test(printer, command.kind == CommandKind::long_test);
        break;
    default:
        break;
    }
    return {};
}

} // namespace tq350::sim
