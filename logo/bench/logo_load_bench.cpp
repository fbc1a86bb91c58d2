// logo_load_bench PICTURE [ROUNDS]: a picture file to the converted preview
// the logo dialog shows with "Stretch size for printer" checked, through the
// program's own loader and converter, in milliseconds of wall time (the
// median of the rounds), with the loading and the conversion apart.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "win32/handles.h"
#include "logo/logo_conversion.h"
#include "logo/logo_conversion_core.h"
#include "logo/picture_loader.h"
#include "testing/stopwatch.h"

namespace {

using tq350::bench::now_ms;

using namespace tq350::logo;
using tq350::OwnedBitmap;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: logo_load_bench PICTURE [ROUNDS]\n");
        return 1;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<double> load_ms, convert_ms, total_ms;
    PictureDescription picture;
    Size target;
    for (int round = 0; round < rounds; ++round) {
        const double begin = now_ms();
        OwnedBitmap source(LoadPictureFile(argv[1]));
        const double loaded = now_ms();
        if (!source || !DescribeBitmap(source.get(), picture)) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
        target = fit_into_logo_area(static_cast<std::uint32_t>(picture.width),
                                    static_cast<std::uint32_t>(picture.height));
        OwnedBitmap logo(ConvertPicture(source.get(), target, true));
        const double converted = now_ms();
        if (!logo) {
            std::fprintf(stderr, "cannot convert %s\n", argv[1]);
            return 1;
        }
        load_ms.push_back(loaded - begin);
        convert_ms.push_back(converted - loaded);
        total_ms.push_back(converted - begin);
    }
    std::printf("picture to converted preview, %d x %d to %u x %u, median of %d: %.0f ms "
                "(loading %.0f ms, conversion %.0f ms)\n",
                picture.width, picture.height, target.width, target.height, rounds,
                median(total_ms), median(load_ms), median(convert_ms));
    return 0;
}
