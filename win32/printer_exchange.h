// What the dialogs share around an exchange with the printer: the message when
// it cannot be reached and the one-way send of a command sequence.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "link/printer_line.h"

namespace tq350 {

// One blocking exchange with the printer, from opening the line to closing it.
// The window answers nothing meanwhile, and Windows queues what the user does;
// the mouse and keyboard messages given meanwhile are dropped as they come out
// of the queue, in every message loop, so that only input given after the wait
// counts. Paint, timer and posted command messages stay. Nothing is pumped when
// the exchange ends: a message another thread sends still waits until the
// caller is done.
class BlockingExchange {
  public:
    BlockingExchange();
    BlockingExchange(const BlockingExchange&) = delete;
    BlockingExchange& operator=(const BlockingExchange&) = delete;
    ~BlockingExchange();

  private:
    DWORD start_;
};

// "Can NOT communicate with printer!", owned by owner.
void ShowCommunicationError(HWND owner);

// Sends bytes (length 0: up to the first NUL) over a line from open_line in
// chunks of at most 2048 bytes, pausing one millisecond per byte after each. A
// chunk that does not go out whole beeps (asterisk) and the rest is still sent;
// the result is true only when every chunk went out. A line that cannot be
// opened shows "Can NOT communicate with printer!" owned by owner.
bool SendCommandSequence(HWND owner, const link::PrinterLineOpener& open_line,
                         const std::uint8_t* bytes, std::size_t length);

} // namespace tq350
