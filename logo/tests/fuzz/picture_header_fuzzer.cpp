// Any bytes as a picture file, checked as the loader checks it whatever the file is called, and
// for the top-row-first bitmap files the loader copies row by row itself.
// The seeds in seeds/ are tiny files of every kind the checks know, made once with the builders
// of picture_bytes.h: bitmap files of 1 to 32 bits with the 12-, 40-, 52- and 124-byte headers
// (one top row first, one run-length coded), GIF89a and GIF87a, baseline and progressive JPEG,
// a 4-bit icon and one with a PNG entry, an enhanced and a placeable Windows metafile.

#include "app/tests/fuzz_check.h"
#include "logo/picture_file_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

using namespace tq350::logo;

namespace {

// What the first bytes of each format are, in the order of PictureFormat.
constexpr std::string_view kMagic[] = {
    "BM", "GIF8", "\xFF\xD8\xFF", {"\0\0\1\0", 4}, {"\1\0\0\0", 4}, "\xD7\xCD\xC6\x9A"};

bool starts_with(std::span<const std::uint8_t> file, std::string_view magic) {
    return file.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), file.begin(),
                      [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const std::optional<PictureHeader> header = read_picture_header(file);
    if (header) {
        TQ350_FUZZ_CHECK(header->width >= 1 && header->height >= 1);
        const bool metafile = header->format == PictureFormat::enhanced_metafile ||
                              header->format == PictureFormat::windows_metafile;
        TQ350_FUZZ_CHECK(metafile || within_picture_budget(header->width, header->height));
        TQ350_FUZZ_CHECK(!header->rows_top_first || header->format == PictureFormat::bitmap);
        // The content alone decides the format.
        TQ350_FUZZ_CHECK(starts_with(file, kMagic[static_cast<int>(header->format)]));
        TQ350_FUZZ_CHECK(header->format != PictureFormat::enhanced_metafile ||
                         starts_with(file.subspan(40), " EMF"));
    }

    // The loader copies the info header and every row straight out of the file's bytes.
    const std::optional<BitmapFileLayout> layout = bitmap_file_layout(file);
    if (layout) {
        TQ350_FUZZ_CHECK(header && header->format == PictureFormat::bitmap);
        TQ350_FUZZ_CHECK(layout->rows == header->height);
        TQ350_FUZZ_CHECK(layout->rows_top_first == header->rows_top_first);
        TQ350_FUZZ_CHECK(layout->info_bytes >= 40);
        TQ350_FUZZ_CHECK(layout->info_offset <= size &&
                         layout->info_bytes <= size - layout->info_offset);
        TQ350_FUZZ_CHECK(layout->row_stride > 0 && layout->row_stride % 4 == 0);
        TQ350_FUZZ_CHECK(layout->row_stride >= (std::uint64_t{header->width} + 31) / 32 * 4);
        TQ350_FUZZ_CHECK(layout->pixel_offset <= size);
        TQ350_FUZZ_CHECK(layout->rows <= (size - layout->pixel_offset) / layout->row_stride);
        TQ350_FUZZ_CHECK(layout->pixel_offset >= layout->info_offset + layout->info_bytes);
    }
    return 0;
}
