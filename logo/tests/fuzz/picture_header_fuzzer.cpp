// Any bytes as a picture file, checked as the logo editor's Open checks it: under each of the
// extensions, and for the top-row-first bitmap files the loader copies row by row itself.

#include "app/tests/fuzz_check.h"
#include "logo/picture_file_core.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

using namespace tq350::logo;

namespace {

bool same(const std::optional<PictureHeader>& a, const std::optional<PictureHeader>& b) {
    if (!a || !b)
        return !a && !b;
    return a->format == b->format && a->width == b->width && a->height == b->height &&
           a->rows_top_first == b->rows_top_first;
}

bool is_raster(PictureFormat format) {
    return format != PictureFormat::enhanced_metafile && format != PictureFormat::windows_metafile;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const std::optional<PictureHeader> header = read_picture_header(file);
    if (header) {
        TQ350_FUZZ_CHECK(header->width >= 1 && header->height >= 1);
        if (is_raster(header->format))
            TQ350_FUZZ_CHECK(within_picture_budget(header->width, header->height));
        TQ350_FUZZ_CHECK(!header->rows_top_first || header->format == PictureFormat::bitmap);
    }

    // Only the extension that names the content lets the file through.
    static const char* const names[] = {"logo.bmp",    "LOGO.DIB",   "a.b\\logo.gif", "photo.jpg",
                                        "photo.JPEG",  "photo.jpe",  "photo.jfif",    "icon.ico",
                                        "drawing.emf", "drawing.Wmf"};
    for (const char* name : names) {
        const std::optional<PictureFormat> promised = format_of_file_name(name);
        TQ350_FUZZ_CHECK(promised.has_value());
        const std::optional<PictureHeader> checked = check_picture_file(name, file);
        TQ350_FUZZ_CHECK(
            same(checked, header && header->format == *promised ? header : std::nullopt));
    }
    TQ350_FUZZ_CHECK(!check_picture_file("logo", file));
    TQ350_FUZZ_CHECK(!check_picture_file("logo.bmp\\picture", file));

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
