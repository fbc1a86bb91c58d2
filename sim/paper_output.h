// The printer's output tray: the paper of each connection, and pictures of the logo and the
// downloaded characters it stores, as PNG files in one folder.
#pragma once

#include "journal.h"
#include "printer.h"
#include "printout.h"

#include <string>

namespace tq350::sim {

// A page longer than this (about 2 m) is written out at once and printing goes on on the next,
// so that a stream of feeds cannot eat the memory.
inline constexpr int page_limit_dots = 16384;

// The stored logo dot for dot, black where a dot prints.
GrayImage logo_picture(const Logo& logo);

// The 224 codes 32-255 of a downloaded font in 16 columns and 14 rows, code 32 + 16 r + c in row r
// and column c, one dot of grid between the cells. A code that was never downloaded is a gray
// cell; a downloaded one is white with its dots in black.
GrayImage font_table_picture(const DownloadedFont& font, int width, int height);

class PaperOutput {
  public:
    // The fonts and the journal must outlive the output.
    PaperOutput(std::string dir, const ResidentFonts& fonts, Journal& journal);

    // Makes the folder and removes the files an earlier run left there: a printer starts with
    // no logo and no downloaded characters, and its pages are numbered from 1 again.
    bool prepare(std::string& error);

    // The printer took `command` (it did not turn it down). Returns why something that should
    // have printed did not, for the command's journal line, or "".
    std::string handled(const Command& command, const Printer& printer, int connection);

    // Writes the connection's paper, if it moved, and the pictures of what the connection
    // stored.
    void connection_ended(const Printer& printer, int connection);

    const std::string& dir() const { return dir_; }

  private:
    void write_page(int connection);
    void write_logo(const Printer& printer, int connection);
    void write_font(const Printer& printer, bool font_b, int connection);
    bool write(const std::string& file, const GrayImage& image);

    std::string dir_;
    Journal& journal_;
    Printout printout_;
    int next_page_ = 1;
    bool logo_changed_ = false;
    bool font_changed_[2] = {false, false};
};

} // namespace tq350::sim
