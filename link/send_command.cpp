#include "send_command.h"

#include "app/win32_handles.h"
#include "link/send_core.h"
#include "main_dialog.h"
#include "serial_connection.h"
#include "serial_io.h"

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
        for (const Chunk& chunk : plan_chunks(length)) {
            if (WriteAll(port, bytes + chunk.offset, static_cast<DWORD>(chunk.size))) {
                ++tally.chunks_written;
                // The printer takes about a byte a millisecond; give it the time.
                serial_io().sleep(chunk.pause_ms);
            } else {
                ++tally.chunks_failed;
                Beep(MB_ICONASTERISK);
            }
        }
        ClosePrinterPort(port);
    }
    return send_succeeded(tally);
}

} // namespace tq350::link
