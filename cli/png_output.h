// The converted logo as a picture file, for looking at before it is sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tq350::cli {

// A 1-bit gray PNG of the raster exactly as GS * sends it (rows top first,
// (width + 7) / 8 bytes each, the leftmost dot in bit 0, a set bit printed).
// False when the file cannot be written.
bool write_logo_png(const std::string& path, std::uint32_t width, std::uint32_t height,
                    std::span<const std::uint8_t> gs_raster);

} // namespace tq350::cli
