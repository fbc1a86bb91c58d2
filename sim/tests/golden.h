// The golden pages: what each kind of print must look like, dot for dot, kept as PNG files in
// sim/tests/golden. TQ350_GOLDEN_UPDATE=1 in the environment writes them afresh from what the
// printer draws instead of comparing.
#pragma once

#include "test_support.h"

#include <filesystem>

namespace tq350::sim::test {

// What the program sends for the logo preview of a 24 x 8 logo, then the logo 3 dots in,
// black, and cut off at the paper's edge.
inline Bytes logo_page() {
    auto caption = [](const char* mode) {
        return ascii(std::string("\nPreview LOGO '") + mode + "':\n");
    };
    return hex("1D 2A 03 08 01 00 80 03 00 40 07 18 20 0F 3C 10 1F 7E 08 3F FF 04 7F 00 02 FF 81 01"
               "1B 25 00 1B 21 01") +
           caption("Normal 203x203 DPI") + hex("1D 2F 00") + caption("Double width 101x203 DPI") +
           hex("1D 2F 01") + caption("Double height 203x101 DPI") + hex("1D 2F 02") +
           caption("Double W/H 101x101 DPI") +
           hex("1D 2F 03 1D 4C 03 00 1D 2F 00 1B 59 05 1D 2F 03") +
           hex("1D 4C 72 01 1D 2F 01 1B 4A 50");
}

// Compares the picture `file` with the golden `name`; "" when they agree dot for dot. A picture
// that differs is kept in golden-actual/ under the test's working folder.
inline std::string golden_difference(const std::string& file, const std::string& name) {
    namespace fs = std::filesystem;
    const std::string golden = std::string(TQ350_GOLDEN_DIR) + "/" + name;
    if (std::getenv("TQ350_GOLDEN_UPDATE")) {
        fs::copy_file(file, golden, fs::copy_options::overwrite_existing);
        return "";
    }
    GrayImage got, want;
    if (!read_png(file, got))
        return "no picture " + file;
    if (!read_png(golden, want))
        return "no golden " + golden + " (TQ350_GOLDEN_UPDATE=1 writes it)";
    std::string difference;
    if (got.width != want.width || got.height != want.height) {
        difference = "is " + std::to_string(got.width) + " x " + std::to_string(got.height) +
                     " dots, the golden " + std::to_string(want.width) + " x " +
                     std::to_string(want.height);
    } else {
        for (std::size_t i = 0; i < got.gray.size() && difference.empty(); ++i)
            if (got.gray[i] != want.gray[i])
                difference = "first differs at dot (" + std::to_string(i % got.width) + ", " +
                             std::to_string(i / got.width) + "): gray " +
                             std::to_string(got.gray[i]) + ", golden " +
                             std::to_string(want.gray[i]);
    }
    if (difference.empty())
        return "";
    fs::create_directories("golden-actual");
    fs::copy_file(file, "golden-actual/" + name, fs::copy_options::overwrite_existing);
    return name + " " + difference + "; the printed one is in golden-actual/" + name;
}

} // namespace tq350::sim::test
