// A scripted printer behind the portable PrinterLine: one log of everything the
// exchange did, in order, and replies served from a queue.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "testing/hex.h"
#include "link/printer_line.h"

namespace tq350::link::test {

class ScriptedLine final : public PrinterLine {
public:
    std::deque<std::vector<std::uint8_t>> replies; // one per read, cut to the size asked
    std::size_t write_limit = SIZE_MAX;             // bytes accepted by one write
    std::vector<std::string> log;                   // "write 1B 40", "read 32", "pause 2500"...

    std::size_t write(std::span<const std::uint8_t> bytes) override {
        const std::size_t accepted = std::min(bytes.size(), write_limit);
        log.push_back("write " + tq350::test::hex(bytes.first(accepted)));
        return accepted;
    }
    bool flush() override {
        log.push_back("flush");
        return true;
    }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        log.push_back("read " + std::to_string(buffer.size()));
        if (replies.empty())
            return 0;
        const std::vector<std::uint8_t> reply = std::move(replies.front());
        replies.pop_front();
        const std::size_t n = std::min(buffer.size(), reply.size());
        std::copy_n(reply.begin(), n, buffer.begin());
        return n;
    }
    void purge() override { log.push_back("purge"); }
    void pause(std::uint32_t milliseconds) override {
        log.push_back("pause " + std::to_string(milliseconds));
    }
};

} // namespace tq350::link::test
