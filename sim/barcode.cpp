#include "barcode.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <zint.h>

namespace tq350::sim {
namespace {

enum Symbology : std::uint8_t {
    upc_a = 0x41,
    upc_e,
    ean13,
    ean8,
    code39,
    itf,
    codabar,
    code93,
    code128,
};

constexpr std::string_view code39_characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%";
constexpr std::string_view codabar_characters = "0123456789-$:/.+";
constexpr std::string_view codabar_start_stop = "ABCDabcd";

// What goes to the encoder: its symbology and the data without the printer's prefixes.
struct Encoding {
    int symbology = 0;
    std::span<const std::uint8_t> data;
};

bool is_digit(std::uint8_t b) {
    return b >= '0' && b <= '9';
}

bool all_digits(std::span<const std::uint8_t> data) {
    return std::all_of(data.begin(), data.end(), is_digit);
}

bool all_within(std::span<const std::uint8_t> data, std::uint8_t low, std::uint8_t high) {
    return std::all_of(data.begin(), data.end(),
                       [=](std::uint8_t b) { return b >= low && b <= high; });
}

bool all_of_set(std::span<const std::uint8_t> data, std::string_view set) {
    return std::all_of(data.begin(), data.end(), [=](std::uint8_t b) {
        return b != 0 && set.find(static_cast<char>(b)) != std::string_view::npos;
    });
}

// A check digit may be sent or left to the printer: `short_length` digits without it, one more
// with it.
bool digits_with_check(std::span<const std::uint8_t> data, std::size_t short_length, int without,
                       int with, Encoding& e) {
    if (!all_digits(data) || (data.size() != short_length && data.size() != short_length + 1))
        return false;
    e = {data.size() == short_length ? without : with, data};
    return true;
}

// CODE 128 data may start with "{A", "{B" or "{C", which fixes the code set for all of it.
bool code128_encoding(std::span<const std::uint8_t> data, Encoding& e, std::string& reason) {
    if (data.size() >= 2 && data[0] == '{' && data[1] >= 'A' && data[1] <= 'C') {
        const std::uint8_t set = data[1];
        const auto rest = data.subspan(2);
        if (rest.empty()) {
            reason = "CODE 128 with a code set and no data";
            return false;
        }
        if (set == 'A' && !all_within(rest, 0x00, 0x5F)) {
            reason = "CODE 128 code set A has no lower-case letters";
            return false;
        }
        if (set == 'B' && !all_within(rest, 0x20, 0x7F)) {
            reason = "CODE 128 code set B has no control characters";
            return false;
        }
        if (set == 'C' && (!all_digits(rest) || rest.size() % 2)) {
            reason = "CODE 128 code set C takes pairs of digits";
            return false;
        }
        e = {set == 'B' ? BARCODE_CODE128B : BARCODE_CODE128, rest};
        return true;
    }
    if (!all_within(data, 0x00, 0x7F)) {
        reason = "CODE 128 takes ASCII only";
        return false;
    }
    e = {BARCODE_CODE128, data};
    return true;
}

bool choose_encoding(std::uint8_t m, std::span<const std::uint8_t> data, Encoding& e,
                     std::string& reason) {
    if (data.empty()) {
        reason = "no data";
        return false;
    }
    switch (m) {
    case upc_a:
        if (digits_with_check(data, 11, BARCODE_UPCA, BARCODE_UPCA_CHK, e))
            return true;
        reason = "UPC-A takes 11 digits, or 12 with the check digit";
        return false;
    case upc_e: {
        // Seven or eight digits start with the number system, which UPC-E has only two of.
        const bool number_system = data.size() == 6 || data[0] == '0' || data[0] == '1';
        if (all_digits(data) && number_system && data.size() >= 6 && data.size() <= 8) {
            e = {data.size() == 8 ? BARCODE_UPCE_CHK : BARCODE_UPCE, data};
            return true;
        }
        reason = "UPC-E takes 6 digits, or the number system 0 or 1 and 6 digits, and may end "
                 "with the check digit";
        return false;
    }
    case ean13:
        if (digits_with_check(data, 12, BARCODE_EANX, BARCODE_EANX_CHK, e))
            return true;
        reason = "EAN13 takes 12 digits, or 13 with the check digit";
        return false;
    case ean8:
        if (digits_with_check(data, 7, BARCODE_EANX, BARCODE_EANX_CHK, e))
            return true;
        reason = "EAN8 takes 7 digits, or 8 with the check digit";
        return false;
    case code39:
        if (all_of_set(data, code39_characters)) {
            e = {BARCODE_CODE39, data};
            return true;
        }
        reason = "CODE 39 takes digits, capitals, space and - . $ / + %";
        return false;
    case itf:
        if (all_digits(data) && data.size() % 2 == 0) {
            e = {BARCODE_C25INTER, data};
            return true;
        }
        reason = "ITF takes an even number of digits";
        return false;
    case codabar:
        if (data.size() >= 3 && all_of_set(data.first(1), codabar_start_stop) &&
            all_of_set(data.last(1), codabar_start_stop) &&
            all_of_set(data.subspan(1, data.size() - 2), codabar_characters)) {
            e = {BARCODE_CODABAR, data};
            return true;
        }
        reason = "CODABAR takes digits and - $ : / . + between start and stop characters A-D";
        return false;
    case code93:
        if (all_within(data, 0x00, 0x7F)) {
            e = {BARCODE_CODE93, data};
            return true;
        }
        reason = "CODE 93 takes ASCII only";
        return false;
    case code128:
        return code128_encoding(data, e, reason);
    default:
        reason = "no such symbology";
        return false;
    }
}

using Symbol = std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)>;

// The encoder draws one module as one pixel at half its default scale; its top row crosses every
// bar. The quiet zones it adds for EAN and UPC, and the trailing gap of CODABAR, are cut off:
// the printer prints from the first bar to the last.
bool read_modules(const zint_symbol& s, std::vector<bool>& modules) {
    std::vector<bool> row;
    for (int x = 0; x < s.bitmap_width; ++x)
        row.push_back(s.bitmap[3 * x] < 128);
    const auto first = std::find(row.begin(), row.end(), true);
    const auto last = std::find(row.rbegin(), row.rend(), true).base();
    if (first >= last || last - first > s.width)
        return false;
    modules.assign(first, last);
    return true;
}

} // namespace

bool encode_barcode(std::uint8_t symbology, std::span<const std::uint8_t> data, Barcode& barcode,
                    std::string& reason) {
    Encoding e;
    if (!choose_encoding(symbology, data, e, reason))
        return false;
    Symbol s(ZBarcode_Create(), ZBarcode_Delete);
    if (!s) {
        reason = "out of memory";
        return false;
    }
    s->symbology = e.symbology;
    s->show_hrt = 0;
    s->scale = 0.5f;
    s->height = 1;
    if (ZBarcode_Encode(s.get(), e.data.data(), static_cast<int>(e.data.size())) >= ZINT_ERROR) {
        reason = s->errtxt;
        return false;
    }
    if (ZBarcode_Buffer(s.get(), 0) >= ZINT_ERROR || !read_modules(*s, barcode.modules)) {
        reason = std::string("the encoder drew no bars: ") + s->errtxt;
        return false;
    }
    barcode.text.clear();
    for (const unsigned char* c = s->text; *c; ++c)
        barcode.text += *c >= 0x20 && *c < 0x7F ? static_cast<char>(*c) : ' ';
    return true;
}

} // namespace tq350::sim
