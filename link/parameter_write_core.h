// The parameter sequence that "Connect && Set" writes in one go.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tq350::link {

inline constexpr std::size_t switch_count = 8;

// One item of the switch list. Only items whose string-table text is present
// are sent; switch 6 has none and so never reaches the printer.
struct SwitchItem {
    bool has_text;
    bool on;
};

// The "Settable Parameters" group as the user left it. The member
// initialisers are the start-up state of the main dialog.
struct ParameterSettings {
    std::array<SwitchItem, switch_count> switches{{
        {true, false},
        {true, false},
        {true, false},
        {true, false},
        {true, false},
        {false, false},
        {true, false},
        {true, false},
    }};
    // Position in the density list ("70 %" is 0); the printer takes the
    // position, not the percentage. The low byte is sent.
    int density_index = 3;
    // 1..60; the low byte is sent.
    int auto_off_minutes = 10;
    bool black_mark_mode = false;
    bool reliable_irda = true; // "Reliable" rather than "Raw"
    bool max_115200 = true;    // "Max 115200" rather than "Max 57600"
};

// GS ) n m per switch with text, ESC Y density, ESC x minutes, ESC l
// black-mark mode, GS ) 7 from the IrDA protocol, ESC > IrDA speed, ESC +.
std::vector<std::uint8_t> build_parameter_sequence(const ParameterSettings& settings);

} // namespace tq350::link
