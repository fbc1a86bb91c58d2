// The remembered settings of the main dialog and the rules for the values found
// in the registry. No Windows types: the Win32 layer reads and writes the key,
// this module decides what a value means.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "res/resource.h"

namespace tq350 {

// Registry value types, with their Windows numbers.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

// How a stored value reaches its control and back.
enum class SettingKind {
    ComboItemData,  // the item data of the selected combo box item
    UpDownPosition, // UDM_GETPOS / UDM_SETPOS of an up-down control
    ButtonPair,     // id checked for nonzero, id + 1 for zero
};

struct SettingRow {
    const char* value_name;
    int control_id;
    SettingKind kind;
};

// Loaded and saved in this order; loading stops at the first row it cannot apply.
inline constexpr std::array<SettingRow, 7> kSettingsTable{{
    {"COM Port", IDC_PORT, SettingKind::ComboItemData},
    {"COM Speed", IDC_SPEED, SettingKind::ComboItemData},
    {"Density", IDC_DENSITY, SettingKind::ComboItemData},
    {"Auto Off", IDC_AUTO_OFF_SPIN, SettingKind::UpDownPosition},
    {"Label", IDC_BLACK_MARK, SettingKind::ButtonPair},
    {"IrDA max", IDC_IRDA_MAX_115200, SettingKind::ButtonPair},
    {"IrDA protocol", IDC_IRDA_RELIABLE, SettingKind::ButtonPair},
}};

inline constexpr const char* kSettingsSubkey = "Software\\Halvik\\TQ-350 Printer Settings";
inline constexpr const char* kSwitch8Value = "Switch8";
inline constexpr const char* kAddressValue = "Address";

// A 32-bit setting is usable only as a REG_DWORD of exactly four bytes: a shorter
// one would leave part of the number undefined.
std::optional<uint32_t> dword_setting(uint32_t type, std::span<const uint8_t> received);

// Bluetooth address record: a flag character and 12 hex digits, no terminator.
inline constexpr size_t kAddressRecordSize = 13;
inline constexpr const char* kDefaultAddressRecord = "X000000000000";

// The stored record when it is a REG_BINARY of exactly 13 bytes, else the default.
std::string address_setting(std::optional<uint32_t> type, std::span<const uint8_t> received);

// Reads one row's stored value; nullopt when absent or unusable (the row is skipped).
using SettingReader = std::function<std::optional<uint32_t>(const SettingRow&)>;
// Applies a value to the row's control; false stops loading.
using SettingApplier = std::function<bool(const SettingRow&, uint32_t)>;

// Walks the table in order. True when every row was processed.
bool load_setting_rows(const SettingReader& read, const SettingApplier& apply);

// Reads one row's control value.
using ControlReader = std::function<uint32_t(const SettingRow&)>;
// Stores one value; false stops saving.
using SettingWriter = std::function<bool(const char* value_name, uint32_t value)>;

// Writes the table's rows in order, stopping at the first failing write.
bool save_setting_rows(const ControlReader& read, const SettingWriter& write);

} // namespace tq350
