// Writes the seed inputs of picture_header_fuzzer into the folder given (the
// seeds/ beside this file): a small file of every kind the picture checks
// know, from the builders of the header checks' cases.
#include "logo/tests/picture_bytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

using namespace tq350::logo::test;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: logo_make_seeds FOLDER\n");
        return 2;
    }
    const Bytes gif = gif_file(2, 2, 2, 2);
    const std::pair<const char*, Bytes> seeds[] = {
        {"mono.bmp", bitmap_file(8, 2, 1, 40, {0x000000, 0xFFFFFF}, {{0xF0}, {0x0F}})},
        {"top-first-24.bmp", bitmap_file(3, -2, 24)},
        {"bitfields-16.bmp", with(bitmap_file(2, 2, 16, 52), 30, 3)},
        {"v5-32.bmp", bitmap_file(1, 1, 32, 124)},
        {"core-1.bmp", bitmap_file(8, 2, 1, 12)},
        {"rle8.bmp", cut(with(with(bitmap_file(4, 2, 8), 30, 1), 34, 4), 14 + 40 + 1024 + 4)},
        {"two.gif", gif},
        {"two-87a.gif", with(gif, 3, '8' | '7' << 8, 2)},
        {"baseline.jpg", jpeg_file(4, 3)},
        {"progressive.jpg", jpeg_file(4, 3, 0xC2)},
        {"sixteen.ico", icon_file(4)},
        {"png-entry.ico", png_icon_file()},
        {"frame.emf", emf_file(2540, 1270)},
        {"placeable.wmf", placeable_metafile(1440, 720, 1440)},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(std::filesystem::path(argv[1]) / name,
                          std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return 1;
    }
    return 0;
}
