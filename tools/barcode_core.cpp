#include "tools/barcode_core.h"

namespace tq350::tools {

namespace {

std::uint8_t low_byte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

std::vector<std::uint8_t> build_barcode_sequence(const BarcodeRequest& request) {
    if (request.data.empty() || request.symbology >= symbology_table.size()) {
        return {};
    }
    const Symbology& symbology = symbology_table[request.symbology];
    const std::string_view data = std::string_view(request.data).substr(0, max_barcode_data);
    const std::size_t count = symbology.code_set_prefix.size() + data.size();

    // clang-format off
    std::vector<std::uint8_t> sequence{
        0x1D, 0x77, low_byte(request.magnification),
        0x1D, 0x68, low_byte(request.height),
        0x1D, 0x66, static_cast<std::uint8_t>(request.text_font),
        0x1D, 0x48, static_cast<std::uint8_t>(request.text_position),
        0x1D, 0x6B, symbology.m, static_cast<std::uint8_t>(count),
    };
    // clang-format on
    sequence.insert(sequence.end(), symbology.code_set_prefix.begin(),
                    symbology.code_set_prefix.end());
    sequence.insert(sequence.end(), data.begin(), data.end());
    // ESC J 80 feeds 10 mm, so the code and its text clear the tear-off edge.
    sequence.insert(sequence.end(), {0x1B, 0x4A, 0x50});
    return sequence;
}

} // namespace tq350::tools
