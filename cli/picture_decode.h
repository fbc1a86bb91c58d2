// Pictures read from files into the colour surface the logo core converts.
// On Linux the decoding is libjpeg-turbo's, libpng's and giflib's; bitmap
// files go through the logo core's header checks and are read row by row.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "logo/logo_surfaces_core.h"

namespace tq350::cli {

struct DecodedPicture {
    // The picture's own size, as the dialog would show it.
    logo::Size natural;
    // What the logo is made from. A JPEG is decoded straight to the smallest
    // scale its DCT offers that still covers `target`, so this may be smaller
    // than `natural`; the other formats come whole.
    logo::ColourSurface surface;
};

struct PictureResult {
    std::optional<DecodedPicture> picture;
    std::string error; // why not, in words for the message after the file's name
};

// `target_of` turns the natural size into the logo size the caller will
// stretch to, so the JPEG decoder knows how far it may scale down.
PictureResult decode_picture(const std::string& name, std::span<const std::uint8_t> file,
                             logo::Size (*target_of)(logo::Size natural, bool stretch),
                             bool stretch);

} // namespace tq350::cli
