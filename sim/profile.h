// The printer the simulator plays: its name, features, readings and the card in its reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq350::sim {

struct Profile {
    // Bytes 0-26 of the information block; the name number is the digits at bytes 22-26.
    std::string name;
    std::uint8_t features_27 = 0; // feature bits, first group
    std::uint8_t features_28 = 0; // feature bits, second group
    std::uint8_t switches = 0;    // byte 31: bit k is switch k + 1
    int voltage_tenths = 0;       // battery voltage in tenths of a volt
    int temperature = 0;          // head temperature, in Fahrenheit when feature bit 27.5 is set
    std::uint8_t status = 0;      // status byte: 0x04 paper out, 0x08 overheat, 0x40 battery low
    int speed = 9600;             // line speed at power-on, bps
    std::array<std::string, 3> tracks; // magstripe card text of tracks 1-3
    bool card_swiped = true;           // false: nobody swipes a card, the request stays unanswered
    int card_delay_ms = 0;             // time from the magstripe request to the swipe
};

// A TQ-350 with magstripe reader, black marks and Bluetooth, at 9600 bps, battery 7.4 V.
Profile default_profile();

// Reads "key = value" lines over `profile`; '#' starts a comment line, and a value in double
// quotes keeps its blanks. Returns false with a message naming the line on a bad line.
bool parse_profile(std::string_view text, Profile& profile, std::string& error);

// parse_profile on a file's contents.
bool load_profile(const std::string& path, Profile& profile, std::string& error);

// Feature names for the profile's "features" key, by feature bit.
struct FeatureName {
    std::string_view name;
    int byte; // 27 or 28
    int bit;
};
inline constexpr FeatureName feature_names[] = {
    {"irda", 27, 0},
    {"magstripe", 27, 1},
    {"three_head_magstripe", 27, 2},
    {"katakana", 27, 3},
    {"kanji", 27, 4},
    {"fahrenheit", 27, 5},
    {"bluetooth", 27, 6},
    {"firmware_upgrade", 28, 0},
    {"korean", 28, 1},
    {"black_marks", 28, 2},
    {"barcode_reader", 28, 3},
    {"usb", 28, 4},
    {"second_usb", 28, 5},
};

} // namespace tq350::sim
