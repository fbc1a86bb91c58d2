#include "cli/png_output.h"

#include <png.h>

#include <vector>

namespace tq350::cli {

bool write_logo_png(const std::string& path, std::uint32_t width, std::uint32_t height,
                    std::span<const std::uint8_t> gs_raster) {
    const std::size_t row_bytes = (width + 7) / 8;
    if (gs_raster.size() < row_bytes * height)
        return false;
    std::vector<std::uint8_t> gray(std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool printed = gs_raster[y * row_bytes + x / 8] >> (x % 8) & 1;
            gray[std::size_t{y} * width + x] = printed ? 0 : 255;
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_GRAY;
    return png_image_write_to_file(&image, path.c_str(), 0, gray.data(), 0, nullptr) != 0;
}

} // namespace tq350::cli
