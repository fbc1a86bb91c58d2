// The logo download: GS * stores the picture in the printer as its logo, then a
// test print shows it in the printer's four logo modes, each under a caption.
// Everything goes out as one sequence over one connection.
#pragma once

#include "logo/logo_surfaces_core.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::logo {

// The printer keeps at most this many raster bytes ((width + 7) / 8 x height).
inline constexpr std::size_t max_logo_raster_bytes = 16384;

// Whether a 1-bit picture of this size can be downloaded: not empty, its raster
// within max_logo_raster_bytes, and bytes per row and height each fitting the
// one byte GS * has for them (a larger value would be cut and the printer
// would read the raster in the wrong shape).
bool is_downloadable_logo(std::uint32_t width, std::uint32_t height);

// The GS * raster of a 1-bit picture: rows top first, (width + 7) / 8 bytes
// each, the leftmost dot of a byte in bit 0 and a set bit printed (black).
// Which stored bits print follows the picture's colour table, so a 1-bit file
// that lists white first is not sent as its negative. Bits beyond the width in
// the last byte of a row are clear. Nothing for a picture that is incomplete
// or not downloadable.
std::optional<std::vector<std::uint8_t>> build_logo_raster(const MonoBitmapView& logo);

// The captions' texts as the caller loaded them from the string table: a
// printf-style format with one %s ("\nPreview LOGO '%s':\n") and the names of
// logo modes 0 to 3 ("Normal 203x203 DPI" ...).
struct LogoCaptionTexts {
    std::string_view format;
    std::array<std::string_view, 4> mode_names;
};

// The format with %s replaced by `name` and %% by %. Any other conversion is
// kept as written: a translated string table must not make the formatter read
// arguments that were never passed.
std::string format_logo_caption(std::string_view format, std::string_view name);

// GS * x y and the raster, ESC % 0 and ESC ! 1, then for modes 0 to 3 the
// caption and GS / m, and ESC J 80 to feed the paper on after the last one.
// Length: raster + the four captions + 25. Nothing when the raster cannot be
// built.
std::optional<std::vector<std::uint8_t>> build_logo_download(const MonoBitmapView& logo,
                                                             const LogoCaptionTexts& texts);

} // namespace tq350::logo
