#include "logo/logo_download_core.h"

#include "logo/logo_conversion_core.h"

namespace tq350::logo {

namespace {

constexpr std::array<std::uint8_t, 2> define_logo{0x1D, 0x2A};
// ESC % 0: the printer's own characters, not downloaded ones; ESC ! 1: font B.
constexpr std::array<std::uint8_t, 6> caption_font{0x1B, 0x25, 0x00, 0x1B, 0x21, 0x01};
constexpr std::array<std::uint8_t, 2> print_logo{0x1D, 0x2F};
constexpr std::array<std::uint8_t, 3> feed_80_dots{0x1B, 0x4A, 0x50};

constexpr std::uint8_t reversed_bits(std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<std::uint8_t>(r << 1 | (b >> i & 1));
    }
    return r;
}

// The bitmap stores the leftmost dot in bit 7, the printer wants it in bit 0.
constexpr std::array<std::uint8_t, 256> bit_reversal = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = reversed_bits(static_cast<std::uint8_t>(b));
    }
    return table;
}();

// Stored byte -> printed dots, leftmost in bit 0.
std::array<std::uint8_t, 256> printed_dots_table(PrintedIndices printed) {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const auto stored = static_cast<std::uint8_t>(b);
        const std::uint8_t dots = static_cast<std::uint8_t>((printed.set_bit ? stored : 0) |
                                                            (printed.clear_bit ? ~stored : 0));
        table[b] = bit_reversal[dots];
    }
    return table;
}

template <std::size_t N>
void append(std::vector<std::uint8_t>& out, const std::array<std::uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

} // namespace

bool is_downloadable_logo(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t row_bytes = (std::uint64_t{width} + 7) / 8;
    return width != 0 && height != 0 && row_bytes <= 255 && height <= 255 &&
           row_bytes * height <= max_logo_raster_bytes;
}

std::optional<std::vector<std::uint8_t>> build_logo_raster(const MonoBitmapView& logo) {
    if (!is_downloadable_logo(logo.width, logo.height) || !logo.is_complete()) {
        return std::nullopt;
    }
    const std::array<std::uint8_t, 256> dots = printed_dots_table(printed_indices(logo.colours));
    const std::size_t row_bytes = (logo.width + 7) / 8;
    const std::uint32_t rest = logo.width % 8;
    const auto last_byte_mask = static_cast<std::uint8_t>(rest == 0 ? 0xFF : (1u << rest) - 1);
    const auto stride = static_cast<std::size_t>(logo.stride());
    std::vector<std::uint8_t> raster;
    raster.reserve(row_bytes * logo.height);
    // The first stored row is the bottom of the picture; the printer wants the top first.
    for (std::uint32_t y = logo.height; y-- > 0;) {
        const std::uint8_t* row = logo.bytes.data() + y * stride;
        for (std::size_t i = 0; i < row_bytes; ++i) {
            raster.push_back(dots[row[i]]);
        }
        raster.back() &= last_byte_mask;
    }
    return raster;
}

std::string format_logo_caption(std::string_view format, std::string_view name) {
    std::string caption;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            caption += name;
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            caption += '%';
            ++i;
        } else {
            caption += format[i];
        }
    }
    return caption;
}

std::optional<std::vector<std::uint8_t>> build_logo_download(const MonoBitmapView& logo,
                                                             const LogoCaptionTexts& texts) {
    std::optional<std::vector<std::uint8_t>> raster = build_logo_raster(logo);
    if (!raster) {
        return std::nullopt;
    }
    std::array<std::string, 4> captions;
    std::size_t caption_bytes = 0;
    for (std::size_t m = 0; m < captions.size(); ++m) {
        captions[m] = format_logo_caption(texts.format, texts.mode_names[m]);
        caption_bytes += captions[m].size();
    }
    std::vector<std::uint8_t> sequence;
    sequence.reserve(raster->size() + caption_bytes + 25);
    append(sequence, define_logo);
    sequence.push_back(static_cast<std::uint8_t>((logo.width + 7) / 8));
    sequence.push_back(static_cast<std::uint8_t>(logo.height));
    sequence.insert(sequence.end(), raster->begin(), raster->end());
    append(sequence, caption_font);
    for (std::size_t m = 0; m < captions.size(); ++m) {
        sequence.insert(sequence.end(), captions[m].begin(), captions[m].end());
        append(sequence, print_logo);
        sequence.push_back(static_cast<std::uint8_t>(m));
    }
    append(sequence, feed_80_dots);
    return sequence;
}

} // namespace tq350::logo
