#include "logo/logo_surfaces_core.h"

namespace tq350::logo {

ColourSurface ColourSurface::blank(std::uint32_t width, std::uint32_t height) {
    return {width, height, std::vector<std::uint8_t>(dib_image_size(width, height, 24))};
}

GraySurface GraySurface::blank(std::uint32_t width, std::uint32_t height) {
    return {width, height, std::vector<std::uint8_t>(dib_image_size(width, height, 8))};
}

LogoRaster LogoRaster::blank(std::uint32_t width, std::uint32_t height) {
    return {width, height, std::vector<std::uint8_t>(dib_image_size(width, height, 1))};
}

} // namespace tq350::logo
