#include "logo/logo_conversion.h"

#include <cstring>

#include "logo/logo_conversion_core.h"
#include "win32/handles.h"
#include "win32/messages.h"

namespace tq350::logo {

namespace {

// The kinds of working surface: 24-bit colour, and 1-bit black and white.
enum class Surface { colour, black_and_white };

struct SurfaceFormat {
    WORD bits_per_pixel;
    DWORD colours; // entries of the gray ramp colour table
};

constexpr SurfaceFormat format_of(Surface kind) {
    return kind == Surface::colour ? SurfaceFormat{24, 0} : SurfaceFormat{1, 2};
}

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// A DIB section with rows stored bottom row first and all pixels zero; for 1
// bit the colours entry 0 black, entry 1 white.
HBITMAP create_surface(Surface kind, Size size) {
    const SurfaceFormat format = format_of(kind);
    if (size.width == 0 || size.height == 0 || size.width > INT32_MAX || size.height > INT32_MAX ||
        dib_image_size(size.width, size.height, format.bits_per_pixel) > max_gray_surface_bytes)
        return nullptr;
    DibInfo info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = static_cast<LONG>(size.width);
    info.header.biHeight = static_cast<LONG>(size.height);
    info.header.biPlanes = 1;
    info.header.biBitCount = format.bits_per_pixel;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage =
        static_cast<DWORD>(dib_image_size(size.width, size.height, format.bits_per_pixel));
    info.header.biClrUsed = format.colours;
    for (DWORD i = 0; i < format.colours; ++i) {
        const auto gray = static_cast<BYTE>(i * 255 / (format.colours - 1));
        info.colours[i] = {gray, gray, gray, 0};
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    if (!bits) {
        DeleteObject(bitmap);
        return nullptr;
    }
    std::memset(bits, 0, info.header.biSizeImage);
    return bitmap;
}

// The whole source onto the whole target; whole rows and columns are dropped
// or repeated, nothing averaged, so dots stay crisp for the diffusion.
bool stretch_onto(HBITMAP target, Size target_size, HBITMAP source,
                  const PictureDescription& source_size) {
    MemoryDc source_dc(nullptr);
    MemoryDc target_dc(nullptr);
    if (!source_dc || !target_dc)
        return false;
    Selection source_selected(source_dc.get(), source);
    Selection target_selected(target_dc.get(), target);
    if (!source_selected || !target_selected)
        return false;
    SetStretchBltMode(target_dc.get(), COLORONCOLOR);
    const bool stretched = StretchBlt(target_dc.get(), 0, 0, static_cast<int>(target_size.width),
                                      static_cast<int>(target_size.height), source_dc.get(), 0, 0,
                                      source_size.width, source_size.height, SRCCOPY) != FALSE;
    // The DIB's memory is read directly next: let GDI finish drawing first.
    GdiFlush();
    return stretched;
}

// The colour surface's pixels reduced to gray, diffused and packed by the
// core, in a new 1-bit bitmap. The gray comes from the core too (the rounded
// mean of red, green and blue, the nearest gray): Wine's colour matching for
// an 8-bit table first rounds every colour to a grid of 32 levels, so black
// arrives as gray 4 and white as 252, and an all-black picture would diffuse
// into a pattern of dots instead of staying black.
HBITMAP convert_colour_surface(const PictureDescription& colour) {
    ColourSurface surface;
    surface.width = static_cast<std::uint32_t>(colour.width);
    surface.height = static_cast<std::uint32_t>(colour.height);
    const auto* bits = static_cast<const std::uint8_t*>(colour.bits);
    surface.bytes.assign(bits, bits + dib_image_size(surface.width, surface.height, 24));
    const std::optional<LogoRaster> logo =
        convert_to_logo(surface, {surface.width, surface.height});
    return logo ? CreateLogoBitmap(*logo) : nullptr;
}

// The source at the target size: a 24-bit colour surface, or for a 1-bit
// source with black and white a 1-bit one; then, for black and white from
// colour, the core's conversion of the colour surface.
HBITMAP convert(HBITMAP source, Size target, bool black_and_white) {
    PictureDescription picture;
    if (!DescribeBitmap(source, picture))
        return nullptr;
    if (static_cast<int>(target.width) == picture.width &&
        static_cast<int>(target.height) == picture.height &&
        (!black_and_white || picture.is_one_bit()))
        return source;
    const Surface kind =
        black_and_white && picture.is_one_bit() ? Surface::black_and_white : Surface::colour;
    OwnedBitmap work(create_surface(kind, target));
    if (!work || !stretch_onto(work.get(), target, source, picture))
        return nullptr;
    PictureDescription made;
    if (!DescribeBitmap(work.get(), made) || made.width != static_cast<int>(target.width) ||
        made.height != static_cast<int>(target.height) || !made.bits)
        return nullptr;
    if (!black_and_white || kind == Surface::black_and_white)
        return work.release();
    return convert_colour_surface(made);
}

} // namespace

bool DescribeBitmap(HBITMAP bitmap, PictureDescription& description) {
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP)
        return false;
    BITMAP object{};
    if (GetObjectA(bitmap, sizeof object, &object) != sizeof object)
        return false;
    description.width = object.bmWidth;
    description.height = object.bmHeight;
    description.planes = object.bmPlanes;
    description.bits_per_pixel = object.bmBitsPixel;
    description.bits = object.bmBits;
    return true;
}

HBITMAP ConvertPicture(HBITMAP source, Size target, bool black_and_white) {
    HBITMAP result = convert(source, target, black_and_white);
    if (!result)
        tq350::Beep(MB_ICONEXCLAMATION);
    return result;
}

HBITMAP CentreLogo(HBITMAP logo, bool horizontal, bool vertical) {
    PictureDescription description;
    if (!DescribeBitmap(logo, description))
        return nullptr;
    const CentringMargins margins =
        centring_margins({static_cast<std::uint32_t>(description.width),
                          static_cast<std::uint32_t>(description.height)},
                         horizontal, vertical);
    if (!margins.changes_logo())
        return logo;
    const std::optional<MonoBitmapCopy> copy = CopyMonoBitmap(logo);
    if (!copy)
        return nullptr;
    // The core reads the logo's colour table, so a 1-bit file that lists
    // white first keeps its black dots black on the white canvas.
    const std::optional<LogoRaster> canvas = centre_logo(copy->view(), horizontal, vertical);
    return canvas ? CreateLogoBitmap(*canvas) : nullptr;
}

std::optional<MonoBitmapCopy> CopyMonoBitmap(HBITMAP bitmap) {
    DIBSECTION section{};
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP ||
        GetObjectA(bitmap, sizeof section, &section) != sizeof section ||
        section.dsBm.bmPlanes * section.dsBm.bmBitsPixel != 1 || !section.dsBm.bmBits ||
        section.dsBm.bmWidth <= 0 || section.dsBm.bmHeight <= 0)
        return std::nullopt;
    MonoBitmapCopy copy;
    copy.width = static_cast<std::uint32_t>(section.dsBm.bmWidth);
    copy.height = static_cast<std::uint32_t>(section.dsBm.bmHeight);
    copy.bytes.resize(dib_image_size(copy.width, copy.height, 1));
    // Asked for bottom-up rows, GetDIBits turns a top-down section (a bitmap
    // file may store its rows either way) into the order the core reads, and
    // hands back the section's own colour table with it.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = static_cast<LONG>(copy.width);
    info.header.biHeight = static_cast<LONG>(copy.height);
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    ScreenDc screen;
    if (!screen || GetDIBits(screen.get(), bitmap, 0, copy.height, copy.bytes.data(),
                             reinterpret_cast<BITMAPINFO*>(&info),
                             DIB_RGB_COLORS) != static_cast<int>(copy.height))
        return std::nullopt;
    for (int i = 0; i < 2; ++i)
        copy.colours[i] = {info.colours[i].rgbRed, info.colours[i].rgbGreen,
                           info.colours[i].rgbBlue};
    return copy;
}

HBITMAP CreateLogoBitmap(const LogoRaster& raster) {
    const std::uint64_t size = dib_image_size(raster.width, raster.height, 1);
    if (raster.bytes.size() < size)
        return nullptr;
    OwnedBitmap bitmap(create_surface(Surface::black_and_white, {raster.width, raster.height}));
    PictureDescription description;
    if (!bitmap || !DescribeBitmap(bitmap.get(), description) || !description.bits)
        return nullptr;
    std::memcpy(description.bits, raster.bytes.data(), static_cast<std::size_t>(size));
    return bitmap.release();
}

} // namespace tq350::logo
