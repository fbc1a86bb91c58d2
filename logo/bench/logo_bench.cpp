// logo_bench [ROUNDS]: error diffusion and packing of a full logo area of
// photo-like gray, in nanoseconds per pixel (the median of the rounds). Timed
// in processor time of this process, so that other work on a shared build
// machine does not count.
#include "logo/logo_conversion_core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

using namespace tq350::logo;

// Smooth shading with edges and grain, as a scanned photograph has: a lit
// sphere on a gradient, a dark band, and noise of a few levels.
GraySurface photo_like(std::uint32_t width, std::uint32_t height) {
    GraySurface gray = GraySurface::blank(width, height);
    std::uint32_t seed = 12345;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            double level = 60 + 120 * u + 40 * std::sin(9 * v);
            const double dx = u - 0.6;
            const double dy = v - 0.5;
            const double r2 = (dx * dx + dy * dy) * 12;
            if (r2 < 1) {
                level = 255 * std::sqrt(1 - r2) * (0.6 + 0.4 * (1 - u));
            }
            if (std::abs(v - 0.2) < 0.05) {
                level *= 0.3;
            }
            seed = seed * 1664525u + 1013904223u;
            level += static_cast<int>(seed >> 29) - 4;
            gray.bytes[y * gray.stride() + x] =
                static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
        }
    }
    return gray;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    constexpr int conversions_per_round = 200;
    const GraySurface picture = photo_like(logo_area_width, logo_area_height);
    const double pixels = double{logo_area_width} * logo_area_height * conversions_per_round;

    std::vector<double> ns_per_pixel;
    std::size_t white_bits = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::clock_t begin = std::clock();
        for (int i = 0; i < conversions_per_round; ++i) {
            const std::optional<LogoRaster> logo = convert_gray_to_logo(picture);
            if (!logo) {
                std::fprintf(stderr, "conversion refused\n");
                return 1;
            }
            // Uses the result so the work cannot be optimised away.
            white_bits += logo->bytes[static_cast<std::size_t>(i) % logo->bytes.size()] & 1u;
        }
        const std::clock_t end = std::clock();
        ns_per_pixel.push_back(1e9 * static_cast<double>(end - begin) / CLOCKS_PER_SEC / pixels);
    }
    std::sort(ns_per_pixel.begin(), ns_per_pixel.end());
    std::printf("logo diffusion + packing, %u x %u, %d rounds of %d: %.2f ns/pixel "
                "(best %.2f, worst %.2f; %zu white bits sampled)\n",
                logo_area_width, logo_area_height, rounds, conversions_per_round,
                ns_per_pixel[ns_per_pixel.size() / 2], ns_per_pixel.front(), ns_per_pixel.back(),
                white_bits);
#ifndef NDEBUG
    // Only Release and RelWithDebInfo define NDEBUG; a tree configured without
    // a build type compiles the core unoptimised, several times slower.
    std::printf("note: not an optimised build (configure with "
                "-DCMAKE_BUILD_TYPE=RelWithDebInfo for the real figure)\n");
#endif
    return 0;
}
