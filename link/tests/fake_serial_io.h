// A scripted printer behind the SerialIo interface: records every call and
// answers reads from a queue, so handler tests run without the real pauses.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/serial_io.h"

namespace tq350::link::test {

class FakeSerialIo final : public SerialIo {
  public:
    FakeSerialIo() { set_serial_io(this); }
    ~FakeSerialIo() override { set_serial_io(nullptr); }

    // What to do wrong.
    bool refuse_open = false;
    size_t write_limit = SIZE_MAX;            // bytes accepted in one write
    std::deque<std::vector<uint8_t>> replies; // one per read, cut to the count asked
    // Runs at every pause, as if the user acted while the printer is waited for.
    std::function<void(DWORD)> during_pause;

    // What happened.
    std::vector<std::string> opened;
    std::vector<DCB> states;
    std::vector<COMMTIMEOUTS> timeouts;
    std::vector<DWORD> escapes;
    std::vector<DWORD> purges;
    std::vector<std::vector<uint8_t>> writes;
    std::vector<DWORD> sleeps;
    int closes = 0;

    std::vector<uint8_t> written() const {
        std::vector<uint8_t> all;
        for (const auto& w : writes)
            all.insert(all.end(), w.begin(), w.end());
        return all;
    }

    HANDLE open(const char* device) override {
        opened.push_back(device);
        return refuse_open ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(0x5150);
    }
    void setup(HANDLE, DWORD, DWORD) override {}
    bool set_state(HANDLE, const DCB& dcb) override {
        states.push_back(dcb);
        return true;
    }
    void set_timeouts(HANDLE, const COMMTIMEOUTS& t) override { timeouts.push_back(t); }
    void escape(HANDLE, DWORD function) override { escapes.push_back(function); }
    void purge(HANDLE, DWORD flags) override { purges.push_back(flags); }
    DWORD write(HANDLE, const void* bytes, DWORD count) override {
        const DWORD accepted = static_cast<DWORD>(std::min<size_t>(count, write_limit));
        auto* p = static_cast<const uint8_t*>(bytes);
        writes.emplace_back(p, p + accepted);
        return accepted;
    }
    DWORD read(HANDLE, void* bytes, DWORD count) override {
        if (replies.empty())
            return 0;
        std::vector<uint8_t> reply = std::move(replies.front());
        replies.pop_front();
        const DWORD n = static_cast<DWORD>(std::min<size_t>(count, reply.size()));
        std::copy_n(reply.begin(), n, static_cast<uint8_t*>(bytes));
        return n;
    }
    bool flush(HANDLE) override { return true; }
    void close(HANDLE) override { ++closes; }
    void sleep(DWORD ms) override {
        sleeps.push_back(ms);
        if (during_pause)
            during_pause(ms);
    }
};

} // namespace tq350::link::test
