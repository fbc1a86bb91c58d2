#include "link/parameter_write_core.h"

namespace tq350::link {

std::vector<std::uint8_t> build_parameter_sequence(const ParameterSettings& settings) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < switch_count; ++i) {
        const SwitchItem& item = settings.switches[i];
        if (item.has_text) {
            out.insert(out.end(), {0x1D, 0x29, static_cast<std::uint8_t>(i + 1),
                                   static_cast<std::uint8_t>(item.on ? 1 : 0)});
        }
    }
    out.insert(out.end(), {0x1B, 0x59, static_cast<std::uint8_t>(settings.density_index)});
    out.insert(out.end(), {0x1B, 0x78, static_cast<std::uint8_t>(settings.auto_off_minutes)});
    out.insert(out.end(),
               {0x1B, 0x6C, static_cast<std::uint8_t>(settings.black_mark_mode ? 1 : 0)});
    // The IrDA protocol is switch 7 on the printer. It goes out a second time
    // here, after the switch list, so the radio buttons have the last word.
    out.insert(out.end(),
               {0x1D, 0x29, 0x07, static_cast<std::uint8_t>(settings.reliable_irda ? 0 : 1)});
    out.insert(out.end(), {0x1B, 0x3E, static_cast<std::uint8_t>(settings.max_115200 ? 0 : 1)});
    out.insert(out.end(), {0x1B, 0x2B});
    return out;
}

} // namespace tq350::link
