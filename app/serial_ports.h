// The COM ports Windows lists, for the main dialog's port list and for tq350 ports.
#pragma once

#include <windows.h>

#include <vector>

#include "app/selection_lists.h"

namespace tq350 {

// Where Windows lists its serial ports.
inline constexpr const char* kSerialPortSubkey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The ports under the key, in its order: the values accept_port_entry takes. A value
// too large for the buffers is no port, but does not hide the ports after it; any
// other failure ends the list. Empty when the key cannot be opened.
std::vector<PortEntry> ListSerialPorts(HKEY root, const char* subkey);

} // namespace tq350
