// "Connect && Set": writes the "Settable Parameters" group to the printer.
#pragma once

#include <windows.h>

#include "link/parameter_write_core.h"

namespace tq350 {

// The parameter controls of the main dialog as they are now.
link::ParameterSettings read_parameter_controls(HWND main_dialog);

// Writes the parameter sequence over one connection. The message box is shown
// only when the port cannot be opened.
bool WritePrinterParameters(HWND main_dialog);

// Handler of "Connect && Set": on success saves the settings and clicks
// "Connect && Get" (posted, so it runs after this command); else disconnects.
void WriteParametersAndRequery(HWND main_dialog);

} // namespace tq350
