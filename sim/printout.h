// What the printer puts on paper: text in its fonts, the stored logo, barcodes, its test pages
// and the feeds between them.
#pragma once

#include "barcode.h"
#include "command.h"
#include "console_font.h"
#include "dot_image.h"
#include "printer.h"

#include <span>
#include <string>
#include <vector>

namespace tq350::sim {

// The gray of a burnt dot at density levels 0-5 (70 % ... 150 %): more heat, darker dots.
inline constexpr std::uint8_t density_gray[] = {112, 80, 56, 32, 16, 0};

// Status bits under which the head prints nothing.
inline constexpr std::uint8_t status_paper_out = 0x04;
inline constexpr std::uint8_t status_overheat = 0x08;

// The paper as it leaves the printer: 384 dots across, as long as it has moved.
class Paper {
  public:
    int length() const { return image_.height; }
    // Burns `dots` on the next rows, `x` dots from the left edge, with the gray of the density;
    // the paper moves on by the picture's height. Dots past the right edge are lost.
    void print(const DotImage& dots, int x, std::uint8_t gray);
    void feed(int dots);
    const GrayImage& image() const { return image_; }

  private:
    GrayImage image_{paper_width_dots, 0, {}};
};

// How characters are put on a line, from ESC !, ESC %, ESC V, ESC SP and GS L.
struct TextStyle {
    bool font_b = false;
    bool user_chars = false; // downloaded characters where the code has one
    bool turned = false;     // each character a quarter turn clockwise
    int char_spacing = 0;    // blank dots after each character
    int left_margin = 0;
};

// How a finished line goes on paper, from ESC {, ESC 3 and ESC Y.
struct LineStyle {
    bool upside_down = false;
    int line_spacing = 0; // blank dots after each line end
    std::uint8_t gray = 0;
};

// How GS k draws, from GS w, GS h, GS H, GS f and GS L.
struct BarcodeStyle {
    int magnification = 3; // dots per module
    int height = 162;      // of the bars
    int text_position = 0; // 0 none, 1 above, 2 below, 3 both
    bool font_b = false;
    int left_margin = 0;
};

class Printout {
  public:
    // The fonts must outlive the printout.
    explicit Printout(const ResidentFonts& fonts);

    // Puts on paper what `command` prints, with the printer's settings as they are after it.
    // Returns why something that should print did not, or "".
    std::string print(const Command& command, const Printer& printer);
    // Text still waiting for its line end goes on paper (the connection ended).
    void end_line(const Printer& printer);

    const Paper& paper() const { return paper_; }
    // The paper so far; printing goes on on a fresh piece, in the middle of a line if need be.
    Paper take_paper();

    // The parts that print() is made of, for the test pages and for tests.
    void add_text(std::span<const std::uint8_t> text, const TextStyle& text_style,
                  const LineStyle& line_style, const Printer* printer);
    void line_feed(const TextStyle& text_style, const LineStyle& line_style);
    void print_line(const LineStyle& line_style);
    std::string print_barcode(std::uint8_t symbology, std::span<const std::uint8_t> data,
                              const BarcodeStyle& style, std::uint8_t gray);

  private:
    struct PlacedGlyph {
        int x;
        DotImage dots;
    };

    DotImage glyph(std::uint8_t code, const TextStyle& style, const Printer* printer) const;
    std::string print_logo(int mode, const Printer& printer);
    void self_test(const Printer& printer, bool with_tables);
    void print_text_line(std::string_view text, bool font_b, std::uint8_t gray);

    const ResidentFonts& fonts_;
    Paper paper_;
    std::vector<PlacedGlyph> line_;
    int line_x_ = 0; // where the next character of the line goes
};

TextStyle text_style(const PrinterSettings& settings);
LineStyle line_style(const PrinterSettings& settings);
BarcodeStyle barcode_style(const PrinterSettings& settings);

} // namespace tq350::sim
