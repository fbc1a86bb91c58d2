// A picture file made into the printer's logo as the logo dialog makes it:
// fitted into the logo area (a larger picture only when asked to stretch),
// converted to one bit, centred. Linux decodes with the Debian libraries and
// converts with the logo core; Windows runs the program's own loader and
// conversion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logo/logo_conversion_core.h"
#include "logo/logo_surfaces_core.h"

namespace tq350::cli {

struct LogoChoices {
    bool stretch = false;
    bool centre_horizontal = false;
    bool centre_vertical = false;
};

// A 1-bit logo, rows bottom first as a DIB holds them, with its colour table.
struct Logo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;
    std::array<logo::Rgb, 2> colours{logo::black, logo::white};

    logo::MonoBitmapView view() const { return {width, height, bytes, colours}; }
};

inline bool fits_logo_area(logo::Size s) {
    return s.width <= logo::logo_area_width && s.height <= logo::logo_area_height;
}

// The logo's size for a picture: fitted when stretching or when it fits
// already (which keeps its size), else its own size, which too_large refuses.
inline logo::Size logo_target(logo::Size natural, bool stretch) {
    return stretch || fits_logo_area(natural)
               ? logo::fit_into_logo_area(natural.width, natural.height)
               : natural;
}

// The message for a picture that needs --stretch; empty when it does not.
inline std::string too_large(logo::Size natural, bool stretch) {
    if (stretch || fits_logo_area(natural))
        return {};
    return std::to_string(natural.width) + " x " + std::to_string(natural.height) +
           " dots is larger than the logo area (384 x 247): add --stretch";
}

// The logo, or nothing with the reason in `error` (for after the file's name).
std::optional<Logo> load_logo(const std::string& path, const LogoChoices& choices,
                              std::string& error);

} // namespace tq350::cli
