// Turning a picture into a printer logo: fitting it to the logo area, reducing
// it to gray, error diffusion to black and white, packing into a 1-bit raster
// and the white margins that centre it. The Win32 layer makes the gray surface
// with StretchBlt and the platform's colour matching; the stretch and gray rule
// here do the same job without a screen, for tests and the benchmark. Nothing
// after the gray surface depends on how it was made.
#pragma once

#include "logo/logo_surfaces_core.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tq350::logo {

// The largest picture that fits the logo area with the same aspect ratio; the
// dependent side is rounded to the nearest dot, halves upwards. Never enlarges.
// A very thin picture can come out 0 dots on one side (10000 x 1 gives 384 x 0),
// which the conversion refuses.
Size fit_into_logo_area(std::uint32_t width, std::uint32_t height);

// Rounded mean of red, green and blue: the gray nearest to the colour.
constexpr std::uint8_t gray_level(Rgb colour) {
    return static_cast<std::uint8_t>((colour.red + colour.green + colour.blue + 1) / 3);
}

// A gray surface this large is refused rather than allocated; no picture the
// loader can hand over comes near it.
inline constexpr std::uint64_t max_gray_surface_bytes = std::uint64_t{1} << 29;

// The whole source onto the whole target, each target pixel taking the source
// pixel under its centre (whole rows and columns dropped or repeated, nothing
// averaged), reduced to gray. Nothing for an incomplete source, an empty
// source or target, or a target above max_gray_surface_bytes.
std::optional<GraySurface> stretch_to_gray(const ColourSurface& source, Size target);

// Pixels per gray level, over the picture's width only (fill bytes excluded).
using GrayHistogram = std::array<std::uint64_t, 256>;
GrayHistogram gray_histogram(const GraySurface& surface);

// The mean gray level, truncated, but at least 1. With the plain mean an
// all-black picture has threshold 0, every pixel reaches it, and the black
// logo would print as blank paper.
std::uint8_t mean_gray_threshold(const GrayHistogram& histogram);

// Floyd-Steinberg diffusion in place with the threshold above: rows in storage
// order (the bottom row of the picture first), pixels left to right, each of
// the four portions of the error rounded on its own and every neighbour
// clamped to 0..255 as it is changed. Afterwards every pixel is 0 or 255. False, with nothing
// changed, for an incomplete surface.
bool diffuse_errors(GraySurface& surface);

// Nonzero gray becomes a set (white) bit, 0 a clear (black) bit; row by row in
// storage order. Nothing for an incomplete surface.
std::optional<LogoRaster> pack_logo(const GraySurface& surface);

// Diffusion and packing of a copy: the gray surface itself stays as it was, so
// the dialog can convert again from the same picture without piling up losses.
// Nothing for an empty or incomplete surface.
std::optional<LogoRaster> convert_gray_to_logo(const GraySurface& surface);

// The whole conversion of a colour picture to a logo of the target size.
std::optional<LogoRaster> convert_to_logo(const ColourSurface& picture, Size target);

// White margins on the left and at the top that move a logo towards the middle
// of the logo area. The canvas is only as large as logo plus margins: it is not
// widened to 384 or heightened to 247.
struct CentringMargins {
    std::uint32_t dx = 0;
    std::uint32_t dy = 0;
    Size canvas;
    bool changes_logo() const { return dx != 0 || dy != 0; }
};

CentringMargins centring_margins(Size logo, bool horizontal, bool vertical);

// The logo on a white canvas of centring_margins' size, its top-left corner at
// (dx, dy). The logo's own colour table decides which of its dots are black,
// so a 1-bit picture that lists white first keeps its black dots black.
// Nothing for an incomplete logo.
std::optional<LogoRaster> centre_logo(const MonoBitmapView& logo, bool horizontal, bool vertical);

// Whether a dot of colour table index 0 and of index 1 is printed (black): the
// darker entry prints. Entries equally bright both print when they are dark and
// neither when they are light, so a one-colour picture keeps its look.
struct PrintedIndices {
    bool clear_bit = true;
    bool set_bit = false;
};

PrintedIndices printed_indices(const std::array<Rgb, 2>& colours);

} // namespace tq350::logo
