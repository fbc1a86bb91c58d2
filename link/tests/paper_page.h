// The virtual printer's paper as the end-to-end tests read it back: the page it
// wrote for a connection, decoded from its PNG file with Windows' own codecs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/tests/e2e_support.h"

namespace tq350::e2e {

struct PaperPage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> gray; // row by row, 255 is blank paper

    bool dot(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               gray[static_cast<std::size_t>(y) * width + x] != 255;
    }
};

// The page the printer wrote for connection conn ("" when it wrote none), as a
// path this process can open.
std::string paper_file(const std::vector<JournalEntry>& entries, int conn);

// Decodes the page; false, with the reason in error, when it cannot.
bool read_paper_page(const std::string& path, PaperPage& page, std::string& error);

} // namespace tq350::e2e
