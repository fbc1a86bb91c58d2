#include "send_command.h"

#include "app/win32_handles.h"
#include "link/exchanges.h"
#include "main_dialog.h"
#include "serial_connection.h"

namespace tq350::link {

bool SendCommandSequence(HWND owner, const uint8_t* bytes, size_t length) {
    length = sequence_length(bytes, length);
    HANDLE port = OpenPrinterPort(owner);
    if (port == INVALID_HANDLE_VALUE) {
        ShowCommunicationError(owner);
        return false;
    }
    SendTally tally;
    {
        WaitCursor wait;
        PortLine line(port);
        tally = send_in_chunks(line, std::span(bytes, length), [] { Beep(MB_ICONASTERISK); });
        ClosePrinterPort(port);
    }
    return send_succeeded(tally);
}

} // namespace tq350::link
