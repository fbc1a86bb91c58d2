// The Win32 side of the logo conversion: the DIB sections it works on, the
// platform's stretch of any bitmap onto them, and the way pixels travel
// between bitmaps and the portable core, which does all the arithmetic (gray
// levels, fitting, diffusion, packing, centring).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "logo/logo_surfaces_core.h"

namespace tq350::logo {

// A bitmap as GetObject describes it.
struct PictureDescription {
    int width = 0;
    int height = 0;
    int planes = 0;
    int bits_per_pixel = 0;
    // The pixel memory of a DIB section; nullptr for a device-dependent bitmap.
    void* bits = nullptr;

    bool is_one_bit() const { return planes * bits_per_pixel == 1; }
};

// False, leaving `description` alone, when the handle does not describe a bitmap.
bool DescribeBitmap(HBITMAP bitmap, PictureDescription& description);

// The source picture at the target size: with black_and_white, a converted
// logo (1-bit DIB section, colour 0 black, colour 1 white); without, a 24-bit
// colour preview. Returns the source itself when there is nothing to do (its
// own size, and colour wanted or already 1-bit), else a new bitmap the caller
// owns. A failure beeps (exclamation), frees what the call made and returns
// nullptr. The source is never changed.
HBITMAP ConvertPicture(HBITMAP source, Size target, bool black_and_white);

// A 1-bit logo moved towards the middle of the logo area by white margins on
// the left and at the top. Returns the logo itself when no margin applies,
// else a new canvas (the caller deletes the old logo and owns the canvas), or
// nullptr when the canvas cannot be made.
HBITMAP CentreLogo(HBITMAP logo, bool horizontal, bool vertical);

// The rows of a 1-bit DIB section, bottom row first whatever the section's
// own row order, with its two colours, for the core to read.
struct MonoBitmapCopy {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;
    std::array<Rgb, 2> colours{black, white};

    MonoBitmapView view() const { return {width, height, bytes, colours}; }
};

// Nothing for anything but a 1-bit DIB section.
std::optional<MonoBitmapCopy> CopyMonoBitmap(HBITMAP bitmap);

// A 1-bit DIB section (colour 0 black, colour 1 white) holding the raster;
// nullptr when it cannot be made. The caller owns it.
HBITMAP CreateLogoBitmap(const LogoRaster& raster);

} // namespace tq350::logo
