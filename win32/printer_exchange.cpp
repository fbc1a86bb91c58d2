#include "win32/printer_exchange.h"

#include "link/exchanges.h"
#include "win32/handles.h"
#include "win32/messages.h"

namespace tq350 {

namespace {

// The last exchange, in GetTickCount milliseconds, the clock of MSG::time.
DWORD g_exchange_start = 0;
DWORD g_exchange_end = 0;

bool is_user_input(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

LRESULT CALLBACK drop_input_given_during_exchange(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        MSG& msg = *reinterpret_cast<MSG*>(message);
        // Unsigned differences: right across the tick count's wrap as well.
        if (is_user_input(msg.message) &&
            msg.time - g_exchange_start <= g_exchange_end - g_exchange_start)
            msg.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

} // namespace

BlockingExchange::BlockingExchange() : start_(GetTickCount()) {
    static const WindowsHook hook(SetWindowsHookExA(WH_GETMESSAGE, drop_input_given_during_exchange,
                                                    nullptr, GetCurrentThreadId()));
}

BlockingExchange::~BlockingExchange() {
    g_exchange_start = start_;
    g_exchange_end = GetTickCount();
}

void ShowCommunicationError(HWND owner) {
    MessageBoxA(owner, "Can NOT communicate with printer!", kMessageCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

bool SendCommandSequence(HWND owner, const link::PrinterLineOpener& open_line,
                         const std::uint8_t* bytes, std::size_t length) {
    length = link::sequence_length(bytes, length);
    bool opened = false;
    link::SendTally tally;
    {
        BlockingExchange exchange;
        if (std::unique_ptr<link::PrinterLine> line = open_line()) {
            opened = true;
            WaitCursor wait;
            tally = link::send_in_chunks(*line, std::span(bytes, length),
                                         [] { Beep(MB_ICONASTERISK); });
            line.reset();
        }
    }
    if (!opened) {
        ShowCommunicationError(owner);
        return false;
    }
    return link::send_succeeded(tally);
}

} // namespace tq350
