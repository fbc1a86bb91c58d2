#include "png_file.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>

namespace tq350::sim {
namespace {

// libpng reports errors by longjmp, which must not cross C++ objects with destructors: this
// function holds none, and its caller keeps the message.
bool encode(std::FILE* out, const GrayImage& image, char (&message)[256]) {
    png_structp png = png_create_write_struct(
        PNG_LIBPNG_VER_STRING, &message,
        [](png_structp p, png_const_charp text) {
            auto* m = static_cast<char(*)[256]>(png_get_error_ptr(p));
            std::snprintf(*m, sizeof *m, "%s", text);
            png_longjmp(p, 1);
        },
        nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, png_dots_per_metre, png_dots_per_metre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.gray.data() + static_cast<std::size_t>(y) * image.width);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write_png(const std::string& path, const GrayImage& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0) {
        error = "nothing to write to " + path;
        return false;
    }
    const std::string part = path + ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (!out) {
        error = "cannot write " + part + ": " + std::strerror(errno);
        return false;
    }
    char message[256] = "out of memory";
    const bool encoded = encode(out, image, message);
    const bool closed = std::fclose(out) == 0;
    if (!encoded || !closed) {
        error = "cannot write " + part + ": " + (encoded ? std::strerror(errno) : message);
        std::remove(part.c_str());
        return false;
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + part + " to " + path + ": " + std::strerror(errno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

} // namespace tq350::sim
