// Pictures read on Linux: libjpeg-turbo, libpng and giflib decode, bitmap
// files go through the logo core's header checks and are read row by row, and
// the logo core fits, converts and centres.
#include "cli/picture_logo.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include "cli/files.h"
#include "logo/logo_conversion_core.h"
#include "logo/logo_download_core.h"
#include "logo/picture_file_core.h"

namespace tq350::cli {

namespace {

using logo::ColourSurface;
using logo::Size;

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

PictureResult refused(std::string why) {
    return {std::nullopt, std::move(why)};
}

std::uint32_t read_u32(std::span<const std::uint8_t> b, std::uint64_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

std::uint16_t read_u16(std::span<const std::uint8_t> b, std::uint64_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

void put_pixel(ColourSurface& s, std::uint32_t x, std::uint32_t stored_row, logo::Rgb c) {
    std::uint8_t* p = s.bytes.data() + stored_row * s.stride() + 3 * std::uint64_t{x};
    p[0] = c.blue;
    p[1] = c.green;
    p[2] = c.red;
}

// One colour channel of a 16- or 32-bit pixel under its mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t top = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        while (mask && !(mask >> shift & 1u))
            ++shift;
        top = mask >> shift;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        return top ? static_cast<std::uint8_t>((pixel & mask) >> shift) * 255u / top : 0;
    }
};

PictureResult decode_bitmap(std::span<const std::uint8_t> file) {
    const std::optional<logo::BitmapFileLayout> layout = logo::bitmap_file_layout(file);
    if (!layout) {
        const std::uint32_t compression = file.size() >= 34 ? read_u32(file, 30) : 0;
        if (compression == 1 || compression == 2)
            return refused("a run-length coded bitmap; save it uncompressed");
        return refused("not a picture this program reads (bitmap header)");
    }
    const std::uint64_t info = layout->info_offset;
    const std::uint32_t header_size = read_u32(file, info);
    const auto width = read_u32(file, info + 4);
    const std::uint16_t bits = read_u16(file, info + 14);
    const std::uint32_t compression = read_u32(file, info + 16);
    const std::uint32_t colours_used = read_u32(file, info + 32);
    std::uint64_t table = info + header_size;
    std::uint32_t masks[3] = {bits == 16 ? 0x7C00u : 0xFF0000u, bits == 16 ? 0x03E0u : 0xFF00u,
                              bits == 16 ? 0x001Fu : 0xFFu};
    if (compression == 3) { // the masks follow a 40-byte header, or lie inside a longer one
        for (int i = 0; i < 3; ++i)
            masks[i] = read_u32(file, info + 40 + 4 * std::uint64_t(i));
        if (header_size == 40)
            table += 12;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    const std::uint32_t palette_size = bits <= 8 ? (colours_used ? colours_used : 1u << bits) : 0;
    std::vector<logo::Rgb> palette;
    for (std::uint32_t i = 0; i < palette_size && table + 4 * (i + 1) <= layout->pixel_offset; ++i)
        palette.push_back({file[table + 4 * i + 2], file[table + 4 * i + 1], file[table + 4 * i]});
    if (bits <= 8 && palette.empty())
        return refused("not a picture this program reads (bitmap without colours)");

    DecodedPicture result{{width, layout->rows}, ColourSurface::blank(width, layout->rows)};
    for (std::uint32_t r = 0; r < layout->rows; ++r) {
        const std::uint8_t* row = file.data() + layout->pixel_offset + r * layout->row_stride;
        const std::uint32_t stored = layout->rows_top_first ? layout->rows - 1 - r : r;
        for (std::uint32_t x = 0; x < width; ++x) {
            logo::Rgb c;
            if (bits <= 8) {
                const std::uint32_t bit = x * bits;
                const std::uint32_t index =
                    row[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
                c = palette[std::min<std::size_t>(index, palette.size() - 1)];
            } else if (bits == 24) {
                c = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            } else {
                const std::uint32_t px = bits == 16 ? read_u16({row, 2 * (x + 1)}, 2 * x)
                                                    : read_u32({row, 4 * (x + 1)}, 4 * x);
                c = {red(px), green(px), blue(px)};
            }
            put_pixel(result.surface, x, stored, c);
        }
    }
    return {std::move(result), {}};
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void jpeg_error_exit(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    info->err->format_message(info, error->message);
    std::longjmp(error->escape, 1);
}

// Fills `out` (already sized by the caller after the header) row by row; only
// plain data lives across the setjmp.
bool run_jpeg(jpeg_decompress_struct& jpeg, JpegError& error, std::span<const std::uint8_t> file,
              Size (*target_of)(Size, bool), bool stretch, DecodedPicture& out) {
    if (setjmp(error.escape))
        return false;
    jpeg_mem_src(&jpeg, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&jpeg, TRUE);
    out.natural = {jpeg.image_width, jpeg.image_height};
    const Size target = target_of(out.natural, stretch);
    jpeg.out_color_space = JCS_EXT_BGR;
    // The smallest of the DCT's scales n/8 that still covers the target.
    for (unsigned n = 1; n <= 8; ++n) {
        jpeg.scale_num = n;
        jpeg.scale_denom = 8;
        jpeg_calc_output_dimensions(&jpeg);
        if (jpeg.output_width >= target.width && jpeg.output_height >= target.height)
            break;
    }
    jpeg_start_decompress(&jpeg);
    out.surface = ColourSurface::blank(jpeg.output_width, jpeg.output_height);
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW row = out.surface.bytes.data() +
                       (jpeg.output_height - 1 - jpeg.output_scanline) * out.surface.stride();
        jpeg_read_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_decompress(&jpeg);
    return true;
}

PictureResult decode_jpeg(std::span<const std::uint8_t> file, Size (*target_of)(Size, bool),
                          bool stretch) {
    jpeg_decompress_struct jpeg{};
    JpegError error{};
    jpeg.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpeg_error_exit;
    jpeg_create_decompress(&jpeg);
    DecodedPicture out;
    const bool ok = run_jpeg(jpeg, error, file, target_of, stretch, out);
    jpeg_destroy_decompress(&jpeg);
    if (!ok)
        return refused(std::string("not a picture this program reads (JPEG: ") + error.message +
                       ")");
    return {std::move(out), {}};
}

PictureResult decode_png(std::span<const std::uint8_t> file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return refused(std::string("not a picture this program reads (PNG: ") + image.message +
                       ")");
    if (!logo::within_picture_budget(image.width, image.height)) {
        png_image_free(&image);
        return refused("not a picture this program reads (PNG larger than 8192 x 8192 dots)");
    }
    image.format = PNG_FORMAT_BGR;
    DecodedPicture out{{image.width, image.height},
                       ColourSurface::blank(image.width, image.height)};
    // Transparent parts show as the white of the paper; a negative stride
    // stores the rows bottom first, as the surface keeps them.
    const png_color white{255, 255, 255};
    const auto stride = static_cast<png_int_32>(out.surface.stride());
    if (!png_image_finish_read(&image, &white, out.surface.bytes.data(), -stride, nullptr))
        return refused(std::string("not a picture this program reads (PNG: ") + image.message +
                       ")");
    return {std::move(out), {}};
}

struct GifSource {
    std::span<const std::uint8_t> file;
    std::size_t at = 0;
};

int read_gif_bytes(GifFileType* gif, GifByteType* to, int count) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(count), source->file.size() - source->at);
    std::memcpy(to, source->file.data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

// The first image on the logical screen, as a still picture shows a GIF:
// what the image leaves uncovered or transparent is the background colour.
PictureResult decode_gif(std::span<const std::uint8_t> file) {
    GifSource source{file};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read_gif_bytes, &error);
    if (!gif)
        return refused(std::string("not a picture this program reads (GIF: ") +
                       GifErrorString(error) + ")");
    struct Closer {
        GifFileType* gif;
        ~Closer() { DGifCloseFile(gif, nullptr); }
    } closer{gif};
    if (DGifSlurp(gif) != GIF_OK && gif->ImageCount == 0)
        return refused(std::string("not a picture this program reads (GIF: ") +
                       GifErrorString(gif->Error) + ")");
    if (gif->ImageCount < 1)
        return refused("not a picture this program reads (GIF with no image)");
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const auto width = static_cast<std::uint32_t>(gif->SWidth);
    const auto height = static_cast<std::uint32_t>(gif->SHeight);
    if (!map || !logo::within_picture_budget(width, height))
        return refused("not a picture this program reads (GIF without colours or size)");
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, 0, &control);
    const auto colour_of = [&](int index) {
        const GifColorType c = map->Colors[std::clamp(index, 0, map->ColorCount - 1)];
        return logo::Rgb{c.Red, c.Green, c.Blue};
    };
    const logo::Rgb background = gif->SColorMap ? colour_of(gif->SBackGroundColor) : logo::white;
    DecodedPicture out{{width, height}, ColourSurface::blank(width, height)};
    const GifImageDesc& d = image.ImageDesc;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            logo::Rgb c = background;
            const long ix = long(x) - d.Left, iy = long(y) - d.Top;
            if (ix >= 0 && iy >= 0 && ix < d.Width && iy < d.Height) {
                const int index = image.RasterBits[iy * d.Width + ix];
                if (index != control.TransparentColor)
                    c = colour_of(index);
            }
            put_pixel(out.surface, x, height - 1 - y, c);
        }
    }
    return {std::move(out), {}};
}

bool is_png(std::span<const std::uint8_t> file) {
    static constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return file.size() >= sizeof signature &&
           std::memcmp(file.data(), signature, sizeof signature) == 0;
}

// `target_of` turns the natural size into the logo size the caller will
// stretch to, so the JPEG decoder knows how far it may scale down.
PictureResult decode_picture(std::span<const std::uint8_t> file,
                             Size (*target_of)(Size, bool), bool stretch) {
    if (is_png(file))
        return decode_png(file);
    // What the first bytes say, whatever the name: as the dialog program reads it.
    const std::optional<logo::PictureHeader> header = logo::read_picture_header(file);
    if (!header)
        return refused("not a picture this program reads (BMP, GIF, JPEG or PNG; damaged, cut "
                       "short or too large)");
    switch (header->format) {
    case logo::PictureFormat::bitmap:
        return decode_bitmap(file);
    case logo::PictureFormat::gif:
        return decode_gif(file);
    case logo::PictureFormat::jpeg:
        return decode_jpeg(file, target_of, stretch);
    default:
        return refused("icons and metafiles are read by tq350.exe on Windows only");
    }
}

} // namespace

std::optional<Logo> load_logo(const std::string& path, const LogoChoices& choices,
                              std::string& error) {
    const auto file = read_whole_file(path, logo::max_picture_file_bytes, error);
    if (!file)
        return std::nullopt;
    PictureResult decoded = decode_picture(*file, logo_target, choices.stretch);
    if (!decoded.picture) {
        error = decoded.error;
        return std::nullopt;
    }
    const Size natural = decoded.picture->natural;
    if (error = too_large(natural, choices.stretch); !error.empty())
        return std::nullopt;
    const Size target = logo_target(natural, choices.stretch);
    const auto converted = logo::convert_to_logo(decoded.picture->surface, target);
    if (!converted) {
        error = "cannot be made into a logo (too thin to keep a dot)";
        return std::nullopt;
    }
    auto centred = logo::centre_logo(
        converted->view(), choices.centre_horizontal && target.width < logo::logo_area_width,
        choices.centre_vertical && target.height < logo::logo_area_height);
    if (!centred || !logo::is_downloadable_logo(centred->width, centred->height)) {
        error = "Not a valid image!";
        return std::nullopt;
    }
    return Logo{centred->width, centred->height, std::move(centred->bytes)};
}

} // namespace tq350::cli
