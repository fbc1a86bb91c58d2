// The golden pages: what each kind of print must look like, dot for dot, kept as PNG files in
// sim/tests/golden. TQ350_GOLDEN_UPDATE=1 in the environment writes them afresh from what the
// printer draws instead of comparing.
#pragma once

#include "dot_image.h"
#include "test_support.h"

#include <filesystem>
#include <png.h>

namespace tq350::sim::test {

// Reads a PNG file as 8-bit gray; false when libpng cannot.
inline bool read_png(const std::string& path, GrayImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_GRAY;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.gray.assign(PNG_IMAGE_SIZE(png), 0);
    // Freed by libpng once the read ends, whether it worked or not.
    return png_image_finish_read(&png, nullptr, image.gray.data(), 0, nullptr) != 0;
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
    if (got.width == want.width && got.gray == want.gray)
        return "";
    const auto size = [](const GrayImage& image) {
        return std::to_string(image.width) + " x " + std::to_string(image.height);
    };
    fs::create_directories("golden-actual");
    fs::copy_file(file, "golden-actual/" + name, fs::copy_options::overwrite_existing);
    return name + " differs: " + size(got) + " dots against the golden's " + size(want) +
           "; the printed one is in golden-actual/" + name;
}

} // namespace tq350::sim::test
