#include "link/serial_io.h"

namespace tq350::link {

namespace {

class Win32SerialIo final : public SerialIo {
  public:
    HANDLE open(const char* device) override {
        return CreateFileA(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    }
    void setup(HANDLE port, DWORD input_queue, DWORD output_queue) override {
        SetupComm(port, input_queue, output_queue);
    }
    bool set_state(HANDLE port, const DCB& dcb) override {
        DCB copy = dcb;
        return SetCommState(port, &copy) != FALSE;
    }
    void set_timeouts(HANDLE port, const COMMTIMEOUTS& timeouts) override {
        COMMTIMEOUTS copy = timeouts;
        SetCommTimeouts(port, &copy);
    }
    // Virtual ports (Bluetooth, USB, a pty under Wine) may refuse modem-line
    // changes; the printer does not depend on them, so the result is not checked.
    void escape(HANDLE port, DWORD function) override { EscapeCommFunction(port, function); }
    void purge(HANDLE port, DWORD flags) override { PurgeComm(port, flags); }
    DWORD write(HANDLE port, const void* bytes, DWORD count) override {
        DWORD written = 0;
        // A write that times out can still report success: the count tells.
        if (!WriteFile(port, bytes, count, &written, nullptr))
            return 0;
        return written;
    }
    DWORD read(HANDLE port, void* bytes, DWORD count) override {
        DWORD received = 0;
        if (!ReadFile(port, bytes, count, &received, nullptr))
            return 0;
        return received;
    }
    bool flush(HANDLE port) override { return FlushFileBuffers(port) != FALSE; }
    void close(HANDLE port) override { CloseHandle(port); }
    void sleep(DWORD milliseconds) override { Sleep(milliseconds); }
};

Win32SerialIo g_win32_io;
SerialIo* g_io = &g_win32_io;

} // namespace

SerialIo& serial_io() {
    return *g_io;
}

void set_serial_io(SerialIo* io) {
    g_io = io ? io : &g_win32_io;
}

} // namespace tq350::link
