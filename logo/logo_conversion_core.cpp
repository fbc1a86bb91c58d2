#include "logo/logo_conversion_core.h"

#include <algorithm>
#include <cstddef>

namespace tq350::logo {

Size fit_into_logo_area(std::uint32_t width, std::uint32_t height) {
    if (width > logo_area_width) {
        height = (height * logo_area_width + width / 2) / width;
        width = logo_area_width;
    }
    if (height > logo_area_height) {
        width = (width * logo_area_height + height / 2) / height;
        height = logo_area_height;
    }
    return {width, height};
}

namespace {

// Index of the source pixel under the centre of target pixel `i` out of `target`.
std::uint32_t nearest_source(std::uint32_t i, std::uint32_t target, std::uint32_t source) {
    return static_cast<std::uint32_t>((2 * std::uint64_t{i} + 1) * source /
                                      (2 * std::uint64_t{target}));
}

} // namespace

std::optional<GraySurface> stretch_to_gray(const ColourSurface& source, Size target) {
    if (!source.is_complete() || source.width == 0 || source.height == 0 || target.width == 0 ||
        target.height == 0 ||
        dib_image_size(target.width, target.height, 8) > max_gray_surface_bytes) {
        return std::nullopt;
    }
    GraySurface gray = GraySurface::blank(target.width, target.height);
    const auto gray_stride = static_cast<std::size_t>(gray.stride());
    const auto source_stride = static_cast<std::size_t>(source.stride());
    for (std::uint32_t y = 0; y < target.height; ++y) {
        const std::uint8_t* in =
            source.bytes.data() + nearest_source(y, target.height, source.height) * source_stride;
        std::uint8_t* out = gray.bytes.data() + y * gray_stride;
        for (std::uint32_t x = 0; x < target.width; ++x) {
            const std::uint8_t* bgr =
                in + 3 * std::size_t{nearest_source(x, target.width, source.width)};
            out[x] = gray_level({bgr[2], bgr[1], bgr[0]});
        }
    }
    return gray;
}

GrayHistogram gray_histogram(const GraySurface& surface) {
    GrayHistogram histogram{};
    if (!surface.is_complete()) {
        return histogram;
    }
    // Four tables counted in turn: in a run of equal levels, common in any
    // picture, each increment would otherwise wait for the previous one.
    std::array<GrayHistogram, 4> parts{};
    const auto stride = static_cast<std::size_t>(surface.stride());
    for (std::uint32_t y = 0; y < surface.height; ++y) {
        const std::uint8_t* row = surface.bytes.data() + y * stride;
        std::uint32_t x = 0;
        for (; x + 4 <= surface.width; x += 4) {
            ++parts[0][row[x]];
            ++parts[1][row[x + 1]];
            ++parts[2][row[x + 2]];
            ++parts[3][row[x + 3]];
        }
        for (; x < surface.width; ++x) {
            ++parts[0][row[x]];
        }
    }
    for (std::size_t level = 0; level < histogram.size(); ++level) {
        histogram[level] = parts[0][level] + parts[1][level] + parts[2][level] + parts[3][level];
    }
    return histogram;
}

std::uint8_t mean_gray_threshold(const GrayHistogram& histogram) {
    std::uint64_t pixels = 0;
    std::uint64_t sum = 0;
    for (std::size_t level = 0; level < histogram.size(); ++level) {
        pixels += histogram[level];
        sum += level * histogram[level];
    }
    const std::uint64_t mean = pixels == 0 ? 0 : sum / pixels;
    return static_cast<std::uint8_t>(std::max<std::uint64_t>(mean, 1));
}

namespace {

// The largest portion of error: 7/16 of 255, rounded.
constexpr int max_portion = (7 * 255 + 8) / 16;
// A stored level plus or minus one portion: every value met before a clamp.
constexpr int value_span = 256 + 2 * max_portion;

// The four signed portions of error a pixel hands on: negative when it turns
// white (its shortfall to 255 is taken away), positive when it turns black.
struct Portions {
    std::int16_t right;
    std::int16_t below;
    std::int16_t below_right;
    std::int16_t below_left;
};

// Everything the diffusion looks up for one threshold, indexed by a value not
// yet clamped (-max_portion .. 255 + max_portion). Looking portions up by the
// unclamped value takes the clamp of the pixel being decided off the chain
// that runs from each pixel to its right neighbour: that chain is what limits
// the speed, as no pixel can be decided before its left neighbour's error.
struct DiffusionTables {
    std::array<Portions, value_span> portions;
    // A white pixel's portions only subtract and a black pixel's only add, so
    // one clamp to 0..255 is both "subtraction stops at 0" and "addition
    // stops at 255".
    std::array<std::uint8_t, value_span> clamped;
    std::array<std::uint8_t, value_span> decided;
};

DiffusionTables diffusion_tables(int threshold) {
    DiffusionTables tables;
    for (int v = -max_portion; v < 256 + max_portion; ++v) {
        const int p = std::clamp(v, 0, 255);
        const bool white = p >= threshold;
        const int e = white ? 255 - p : p;
        const int sign = white ? -1 : 1;
        tables.portions[v + max_portion] = {static_cast<std::int16_t>(sign * ((7 * e + 8) / 16)),
                                            static_cast<std::int16_t>(sign * ((5 * e + 8) / 16)),
                                            static_cast<std::int16_t>(sign * ((e + 8) / 16)),
                                            static_cast<std::int16_t>(sign * ((3 * e + 8) / 16))};
        tables.clamped[v + max_portion] = static_cast<std::uint8_t>(p);
        tables.decided[v + max_portion] = white ? 255 : 0;
    }
    return tables;
}

// The tables as the row loops use them: indexed by the value itself, and held
// in locals, because every store into a row of bytes could alias a pointer the
// compiler would otherwise have to reload for each pixel. Values are
// pointer-sized so that indexing needs no widening on the chain.
using Value = std::ptrdiff_t;

struct Lookups {
    const Portions* portions;
    const std::uint8_t* clamped;
    const std::uint8_t* decided;
};

Lookups lookups(const DiffusionTables& tables) {
    return {tables.portions.data() + max_portion, tables.clamped.data() + max_portion,
            tables.decided.data() + max_portion};
}

// The top row of the picture: its error goes only to the right.
void diffuse_last_row(std::uint8_t* row, std::uint32_t width, Lookups look) {
    Value v = row[0];
    for (std::uint32_t x = 0; x + 1 < width; ++x) {
        row[x] = look.decided[v];
        v = Value{row[x + 1]} + look.portions[v].right;
    }
    row[width - 1] = look.decided[v];
}

// One row on its way through the diffusion, with the row visited after it.
// The value of the pixel being decided and the two cells of the next row that
// still receive error stay in registers; a cell of the next row is written
// once, when its last portion has arrived. Each cell gets its portions in the
// order of the pixels that give them (below-right of its left neighbour,
// below its own pixel, below-left of its right neighbour), each clamped at
// once. After pixel x, the next row is final up to cell x - 1.
class RowPass {
  public:
    RowPass(std::uint8_t* row, std::uint8_t* next, Lookups look)
        : row_(row), next_(next), look_(look) {}

    // Pixel 0 of a row at least two pixels wide.
    void first() {
        Value v = row_[0];
        const Portions q = look_.portions[v];
        row_[0] = look_.decided[v];
        v_ = Value{row_[1]} + q.right;
        below_left_ = look_.clamped[Value{next_[0]} + q.below];
        below_ = look_.clamped[Value{next_[1]} + q.below_right];
    }

    // A pixel with neighbours on both sides.
    void middle(std::uint32_t x) {
        const Portions q = look_.portions[v_];
        row_[x] = look_.decided[v_];
        v_ = Value{row_[x + 1]} + q.right;
        next_[x - 1] = look_.clamped[below_left_ + q.below_left];
        below_left_ = look_.clamped[below_ + q.below];
        below_ = look_.clamped[Value{next_[x + 1]} + q.below_right];
    }

    void last(std::uint32_t x) {
        const Portions q = look_.portions[v_];
        row_[x] = look_.decided[v_];
        next_[x - 1] = look_.clamped[below_left_ + q.below_left];
        next_[x] = look_.clamped[below_ + q.below];
    }

  private:
    std::uint8_t* row_;
    std::uint8_t* next_;
    Lookups look_;
    Value v_ = 0;          // the pixel to decide next, with the error it has received
    Value below_left_ = 0; // next row, below-left of that pixel
    Value below_ = 0;      // next row, below it
};

// One row and the row visited after it.
void diffuse_row(std::uint8_t* row, std::uint8_t* next, std::uint32_t width, Lookups look) {
    if (width == 1) {
        const Value v = row[0];
        row[0] = look.decided[v];
        next[0] = look.clamped[Value{next[0]} + look.portions[v].below];
        return;
    }
    RowPass pass(row, next, look);
    pass.first();
    for (std::uint32_t x = 1; x + 1 < width; ++x) {
        pass.middle(x);
    }
    pass.last(width - 1);
}

// Two rows at once, the second (upper) two pixels behind the first: its
// pixel x needs cell x + 1 final, which the first row's pixel x + 2 makes it.
// No pixel can be decided before its left neighbour's error has arrived, so a
// single row is one long chain of lookups; two rows give the processor two
// chains to work on side by side, in the same order of operations per cell.
// At least four pixels wide.
void diffuse_two_rows(std::uint8_t* lower, std::uint8_t* upper, std::uint8_t* above,
                      std::uint32_t width, Lookups look) {
    RowPass first(lower, upper, look);
    RowPass second(upper, above, look);
    first.first();
    first.middle(1);
    first.middle(2);
    second.first();
    std::uint32_t x = 3;
    for (; x + 1 < width; ++x) {
        first.middle(x);
        second.middle(x - 2);
    }
    first.last(x);
    second.middle(x - 2);
    second.middle(x - 1);
    second.last(x);
}

} // namespace

bool diffuse_errors(GraySurface& surface) {
    if (!surface.is_complete()) {
        return false;
    }
    if (surface.width == 0 || surface.height == 0) {
        return true;
    }
    const int threshold = mean_gray_threshold(gray_histogram(surface));
    const DiffusionTables tables = diffusion_tables(threshold);
    const Lookups look = lookups(tables);
    const auto stride = static_cast<std::size_t>(surface.stride());
    std::uint8_t* row = surface.bytes.data();
    std::uint32_t y = 0;
    if (surface.width >= 4) {
        for (; y + 2 < surface.height; y += 2, row += 2 * stride) {
            diffuse_two_rows(row, row + stride, row + 2 * stride, surface.width, look);
        }
    }
    for (; y + 1 < surface.height; ++y, row += stride) {
        diffuse_row(row, row + stride, surface.width, look);
    }
    diffuse_last_row(row, surface.width, look);
    return true;
}

namespace {

// Eight gray pixels to one byte of bits, the first pixel in bit 7, a set bit
// for a nonzero pixel. Done on all eight at once in a 64-bit word, pixel k in
// byte k: this runs once for every eighth pixel of every logo.
std::uint8_t pack_eight(const std::uint8_t* in) {
    // Written out in full, this is one 64-bit load to the compiler.
    const std::uint64_t pixels = std::uint64_t{in[0]} | std::uint64_t{in[1]} << 8 |
                                 std::uint64_t{in[2]} << 16 | std::uint64_t{in[3]} << 24 |
                                 std::uint64_t{in[4]} << 32 | std::uint64_t{in[5]} << 40 |
                                 std::uint64_t{in[6]} << 48 | std::uint64_t{in[7]} << 56;
    // The top bit of each byte becomes "this byte is nonzero"; no carry can
    // cross into the next byte, as (b & 0x7F) + 0x7F is at most 0xFE.
    constexpr std::uint64_t low_bits = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t nonzero = (((pixels & low_bits) + low_bits) | pixels) & ~low_bits;
    // The multiplier moves the flag of byte k (bit 8k) to bit 63 - k; no two
    // of its partial products meet in the top byte, so the top byte is the
    // eight flags with byte 0's in its most significant bit.
    return static_cast<std::uint8_t>(((nonzero >> 7) * 0x8040201008040201) >> 56);
}

} // namespace

std::optional<LogoRaster> pack_logo(const GraySurface& surface) {
    if (!surface.is_complete()) {
        return std::nullopt;
    }
    LogoRaster logo = LogoRaster::blank(surface.width, surface.height);
    const auto gray_stride = static_cast<std::size_t>(surface.stride());
    const auto logo_stride = static_cast<std::size_t>(logo.stride());
    const std::uint32_t whole_bytes = surface.width / 8;
    const std::uint32_t rest = surface.width % 8;
    for (std::uint32_t y = 0; y < surface.height; ++y) {
        const std::uint8_t* in = surface.bytes.data() + y * gray_stride;
        std::uint8_t* out = logo.bytes.data() + y * logo_stride;
        for (std::uint32_t i = 0; i < whole_bytes; ++i, in += 8) {
            out[i] = pack_eight(in);
        }
        if (rest != 0) {
            unsigned bits = 0;
            for (std::uint32_t k = 0; k < rest; ++k) {
                bits |= unsigned{in[k] != 0} << (7 - k);
            }
            out[whole_bytes] = static_cast<std::uint8_t>(bits);
        }
    }
    return logo;
}

std::optional<LogoRaster> convert_gray_to_logo(const GraySurface& surface) {
    if (surface.width == 0 || surface.height == 0 || !surface.is_complete()) {
        return std::nullopt;
    }
    GraySurface work = surface;
    diffuse_errors(work);
    return pack_logo(work);
}

std::optional<LogoRaster> convert_to_logo(const ColourSurface& picture, Size target) {
    const std::optional<GraySurface> gray = stretch_to_gray(picture, target);
    if (!gray) {
        return std::nullopt;
    }
    return convert_gray_to_logo(*gray);
}

CentringMargins centring_margins(Size logo, bool horizontal, bool vertical) {
    CentringMargins margins;
    if (horizontal && logo.width < logo_area_width) {
        margins.dx = (logo_area_width - logo.width) / 2;
    }
    if (vertical && logo.height < logo_area_height) {
        margins.dy = (logo_area_height - logo.height) / 2;
    }
    margins.canvas = {logo.width + margins.dx, logo.height + margins.dy};
    return margins;
}

namespace {

// Brightness in thousandths of a level (Rec. 601 weights), so that colours of
// a 1-bit table such as dark blue on yellow compare the way the eye sees them.
std::uint32_t brightness(Rgb colour) {
    return 299u * colour.red + 587u * colour.green + 114u * colour.blue;
}

} // namespace

PrintedIndices printed_indices(const std::array<Rgb, 2>& colours) {
    const std::uint32_t clear = brightness(colours[0]);
    const std::uint32_t set = brightness(colours[1]);
    if (clear == set) {
        const bool dark = 2 * clear < 255'000;
        return {dark, dark};
    }
    return {clear < set, set < clear};
}

std::optional<LogoRaster> centre_logo(const MonoBitmapView& logo, bool horizontal, bool vertical) {
    if (!logo.is_complete()) {
        return std::nullopt;
    }
    const CentringMargins margins =
        centring_margins({logo.width, logo.height}, horizontal, vertical);
    LogoRaster canvas = LogoRaster::blank(margins.canvas.width, margins.canvas.height);
    const auto canvas_stride = static_cast<std::size_t>(canvas.stride());
    const auto logo_stride = static_cast<std::size_t>(logo.stride());
    const PrintedIndices printed = printed_indices(logo.colours);
    // The top margin is at the end of the stored rows: the logo's stored rows
    // keep their positions, because both pictures end at the same bottom row.
    for (std::uint32_t y = 0; y < canvas.height; ++y) {
        std::uint8_t* out = canvas.bytes.data() + y * canvas_stride;
        const std::uint8_t* in = y < logo.height ? logo.bytes.data() + y * logo_stride : nullptr;
        for (std::uint32_t x = 0; x < canvas.width; ++x) {
            bool is_white = true;
            if (in != nullptr && x >= margins.dx) {
                const std::uint32_t source_x = x - margins.dx;
                const bool set = (in[source_x / 8] >> (7 - source_x % 8)) & 1;
                is_white = !(set ? printed.set_bit : printed.clear_bit);
            }
            if (is_white) {
                out[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return canvas;
}

} // namespace tq350::logo
