#include "paper_output.h"

#include "png_file.h"

#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>

namespace tq350::sim {
namespace {

constexpr const char* logo_file = "logo.png";
constexpr const char* font_files[] = {"font-a.png", "font-b.png"};
constexpr int table_columns = 16;
constexpr int table_rows = 14;
constexpr std::uint8_t grid_gray = 128;
constexpr std::uint8_t undefined_gray = 224;

std::string page_name(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "paper-%04d.png", number);
    return name;
}

} // namespace

GrayImage logo_picture(const Logo& logo) {
    const DotImage dots = from_logo_rows(logo.raster, logo.row_bytes, logo.rows);
    GrayImage image{dots.width(), dots.height(), {}};
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            image.gray.push_back(dots.at(x, y) ? 0 : white);
    return image;
}

GrayImage font_table_picture(const DownloadedFont& font, int width, int height) {
    GrayImage image{table_columns * (width + 1) + 1, table_rows * (height + 1) + 1, {}};
    image.gray.assign(static_cast<std::size_t>(image.width) * image.height, grid_gray);
    for (int code = 0x20; code <= 0xFF; ++code) {
        const auto& rows = font.glyphs[static_cast<std::size_t>(code)];
        const DotImage dots = from_glyph_rows(rows, width, height);
        const int left = 1 + (code - 0x20) % table_columns * (width + 1);
        const int top = 1 + (code - 0x20) / table_columns * (height + 1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.gray[static_cast<std::size_t>(top + y) * image.width + left + x] =
                    rows.empty()    ? undefined_gray
                    : dots.at(x, y) ? 0
                                    : white;
    }
    return image;
}

PaperOutput::PaperOutput(std::string dir, const ResidentFonts& fonts, Journal& journal)
    : dir_(std::move(dir)), journal_(journal), printout_(fonts) {}

bool PaperOutput::prepare(std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (ec || !fs::is_directory(dir_, ec)) {
        error = "cannot make the paper folder " + dir_ + ": " + ec.message();
        return false;
    }
    static const std::regex ours(R"(paper-\d{4,}\.png|logo\.png|font-[ab]\.png)");
    for (const fs::directory_entry& e : fs::directory_iterator(dir_, ec))
        if (std::regex_match(e.path().filename().string(), ours))
            fs::remove(e.path(), ec);
    return true;
}

std::string PaperOutput::handled(const Command& command, const Printer& printer, int connection) {
    const auto& b = command.bytes;
    switch (command.kind) {
    case CommandKind::logo_define:
    case CommandKind::logo_delete:
        logo_changed_ = true;
        break;
    case CommandKind::font_reset:
        font_changed_[b[2] == '1'] = true;
        break;
    case CommandKind::font_define:
        font_changed_[b[2] == '3'] = true;
        break;
    default:
        break;
    }
    std::string note = printout_.print(command, printer);
    if (printout_.paper().length() >= page_limit_dots)
        write_page(connection);
    return note;
}

void PaperOutput::connection_ended(const Printer& printer, int connection) {
    printout_.end_line(printer);
    if (printout_.paper().length() > 0)
        write_page(connection);
    if (logo_changed_)
        write_logo(printer, connection);
    for (const bool font_b : {false, true})
        if (font_changed_[font_b])
            write_font(printer, font_b, connection);
    logo_changed_ = font_changed_[0] = font_changed_[1] = false;
}

bool PaperOutput::write(const std::string& file, const GrayImage& image) {
    std::string error;
    if (write_png(file, image, error))
        return true;
    journal_.write(JournalLine("paper_error").add("file", file).add("message", error));
    std::fprintf(stderr, "tq350-sim: %s\n", error.c_str());
    return false;
}

void PaperOutput::write_page(int connection) {
    const Paper paper = printout_.take_paper();
    const std::string file = dir_ + "/" + page_name(next_page_++);
    if (write(file, paper.image()))
        journal_.write(JournalLine("paper")
                           .add("conn", std::int64_t{connection})
                           .add("file", file)
                           .add("length_dots", std::int64_t{paper.length()}));
}

void PaperOutput::write_logo(const Printer& printer, int connection) {
    const std::string file = dir_ + "/" + logo_file;
    const Logo& logo = printer.logo();
    JournalLine line("logo_image");
    line.add("conn", std::int64_t{connection}).add("file", file);
    if (logo.raster.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        journal_.write(line.add("removed", true));
        return;
    }
    const GrayImage image = logo_picture(logo);
    if (write(file, image))
        journal_.write(
            line.add("width", std::int64_t{image.width}).add("height", std::int64_t{image.height}));
}

void PaperOutput::write_font(const Printer& printer, bool font_b, int connection) {
    const std::string file = dir_ + "/" + font_files[font_b];
    const DownloadedFont& font = printer.font(font_b);
    const GrayImage image = font_b ? font_table_picture(font, font_b_width, font_b_height)
                                   : font_table_picture(font, font_a_width, font_a_height);
    const auto defined = std::count_if(font.glyphs.begin() + 0x20, font.glyphs.end(),
                                       [](const auto& g) { return !g.empty(); });
    if (write(file, image))
        journal_.write(JournalLine("font_image")
                           .add("conn", std::int64_t{connection})
                           .add("font", font_b ? "B" : "A")
                           .add("file", file)
                           .add("defined", static_cast<std::int64_t>(defined)));
}

} // namespace tq350::sim
