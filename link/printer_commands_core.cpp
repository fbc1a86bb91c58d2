#include "link/printer_commands_core.h"

#include <algorithm>

namespace tq350::link {

std::array<std::uint8_t, 3> speed_change_command(std::size_t speed_index) {
    return {0x1B, 0x53, static_cast<std::uint8_t>('0' + speed_index)};
}

std::array<std::uint8_t, 10> total_reset_command(bool max_115200) {
    const std::uint8_t irda_speed = max_115200 ? 0x00 : 0x01;
    return {0x1B, 0x5F, 0x1B, 0x53, 0x33, 0x1B, 0x3E, irda_speed, 0x1B, 0x2B};
}

std::array<std::uint8_t, 6> logo_print_command(LogoPrintMode mode) {
    return {0x1D, 0x2F, static_cast<std::uint8_t>(mode), 0x1B, 0x4A, 80};
}

} // namespace tq350::link
