// The remembered settings (one registry key) and the main dialog's selection lists.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "win32/messages.h"

namespace tq350 {

// Where a key lives. The program always uses the defaults below; tests point
// them at scratch keys so that they never touch the machine's real ports.
struct RegistryLocation {
    HKEY root;
    const char* subkey;
};
extern RegistryLocation g_settings_location;    // HKLM\Software\Halvik\TQ-350 Printer Settings
extern RegistryLocation g_serial_port_location; // HKLM\HARDWARE\DEVICEMAP\SERIALCOMM

// Creates or opens the settings key for reading and writing; nullptr on failure.
// The caller owns the returned key.
HKEY OpenSettingsKey();

// Applies the stored values to the dialog's controls; stops at the first one it
// cannot apply. True when every row was processed.
bool LoadSettings(HKEY key, HWND dialog);
// Writes the controls' values and "Switch8"; stops at the first failing write.
bool SaveSettings(HKEY key, HWND dialog);
// Sets switch 8 (item 7 of the switch list) from "Switch8" when it reads as a
// 4-byte REG_DWORD; otherwise leaves the item as it is.
void LoadSwitch8(HKEY key, HWND dialog);
// The Bluetooth address record: the stored one when usable, else the default.
std::string LoadAddressRecord(HKEY key);
bool SaveAddressRecord(HKEY key, const std::string& record);

bool FillPortList(HWND combo);
bool FillSpeedList(HWND combo);
bool FillDensityList(HWND combo);
// Selects the item carrying the value (the last one when several do).
bool SelectComboItemByData(HWND combo, int32_t value);

// List-view check boxes are state images 1 (unchecked) and 2 (checked).
bool IsListItemChecked(HWND list, int item);
void SetListItemChecked(HWND list, int item, bool checked);

// Checks one button of a two-button radio group (ids first and first + 1) and clears
// the other, as CheckRadioButton does; CheckRadioButton walks every child window
// of the dialog, a window-server round trip each under Wine.
void CheckRadioPair(HWND dialog, int first, int checked);

} // namespace tq350
