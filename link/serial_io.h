// The Win32 calls of a serial connection behind one small interface, so that the
// handlers can be tested against a scripted printer without the real pauses.
#pragma once

#include <windows.h>

namespace tq350::link {

class SerialIo {
public:
    virtual ~SerialIo() = default;
    virtual HANDLE open(const char* device) = 0; // INVALID_HANDLE_VALUE on failure
    virtual void setup(HANDLE port, DWORD input_queue, DWORD output_queue) = 0;
    virtual bool set_state(HANDLE port, const DCB& dcb) = 0;
    virtual void set_timeouts(HANDLE port, const COMMTIMEOUTS& timeouts) = 0;
    virtual void escape(HANDLE port, DWORD function) = 0;
    virtual void purge(HANDLE port, DWORD flags) = 0;
    // Bytes actually transferred; fewer than asked means a time-out or an error.
    virtual DWORD write(HANDLE port, const void* bytes, DWORD count) = 0;
    virtual DWORD read(HANDLE port, void* bytes, DWORD count) = 0;
    virtual bool flush(HANDLE port) = 0;
    virtual void close(HANDLE port) = 0;
    virtual void sleep(DWORD milliseconds) = 0;
};

// The one in use: the real port unless a test installed another.
SerialIo& serial_io();
// Installs io (not owned) for the tests; nullptr goes back to the real port.
void set_serial_io(SerialIo* io);

} // namespace tq350::link
