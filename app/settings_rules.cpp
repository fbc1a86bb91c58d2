#include "app/settings_rules.h"

#include <cstring>

namespace tq350 {

std::optional<uint32_t> dword_setting(uint32_t type, std::span<const uint8_t> received) {
    if (type != kRegDword || received.size() != sizeof(uint32_t))
        return std::nullopt;
    uint32_t value = 0;
    std::memcpy(&value, received.data(), sizeof value); // REG_DWORD is little-endian, as we are
    return value;
}

std::string address_setting(std::optional<uint32_t> type, std::span<const uint8_t> received) {
    if (type != kRegBinary || received.size() != kAddressRecordSize)
        return kDefaultAddressRecord;
    return std::string(received.begin(), received.end());
}

bool load_setting_rows(const SettingReader& read, const SettingApplier& apply) {
    for (const SettingRow& row : kSettingsTable) {
        std::optional<uint32_t> value = read(row);
        if (!value)
            continue;
        if (!apply(row, *value))
            return false;
    }
    return true;
}

bool save_setting_rows(const ControlReader& read, const SettingWriter& write) {
    for (const SettingRow& row : kSettingsTable) {
        if (!write(row.value_name, read(row)))
            return false;
    }
    return true;
}

} // namespace tq350
