// The printer's barcodes: which data each symbology takes, and its bars.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tq350::sim {

// A linear barcode: its modules from left to right (true = bar), one module being the narrowest
// bar, and the human-readable text printed with it.
struct Barcode {
    std::vector<bool> modules;
    std::string text;
};

// Encodes the data of GS k for symbology byte m (0x41 UPC-A ... 0x49 CODE 128). Data that the
// printer refuses for the symbology gives false and the reason.
bool encode_barcode(std::uint8_t symbology, std::span<const std::uint8_t> data, Barcode& barcode,
                    std::string& reason);

} // namespace tq350::sim
