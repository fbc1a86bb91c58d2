// The printer's side of the line: connections, speed check, faults and the reply queue. The
// caller does the I/O and tells it what happened; it says what to send and when.
#pragma once

#include "command_parser.h"
#include "faults.h"
#include "journal.h"
#include "paper_output.h"
#include "printer.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <span>
#include <string_view>
#include <vector>

namespace tq350::sim {

using Clock = std::chrono::steady_clock;

class Session {
  public:
    Session(Printer& printer, Journal& journal, std::uint32_t seed);

    // Someone (Wine's CreateFile) opened the port, or closed it. A connection runs from the
    // first open to the last close.
    void port_opened(Clock::time_point now);
    void port_closed(Clock::time_point now);

    // Bytes from the program, with the speed the program's side of the tty runs at.
    void received(std::span<const std::uint8_t> bytes, int tty_bps, Clock::time_point now);

    // Where what the printer prints goes; without it nothing is drawn. Must outlive the session.
    void set_paper(PaperOutput* paper) { paper_ = paper; }

    void set_faults(const Faults& faults, std::string_view source, Clock::time_point now);
    const Faults& faults() const { return faults_; }

    // When the next byte is due, if any is queued.
    std::optional<Clock::time_point> next_due() const;
    // The queued bytes whose time has come, in order.
    std::vector<std::uint8_t> take_due(Clock::time_point now);

    // False once the vanish fault has struck, until the fault is cleared: the port must go.
    bool port_wanted() const { return !vanished_; }
    // The port is gone (vanish) and with it the connection.
    void port_lost(Clock::time_point now);

    // True while the exclusive fault wants other opens of the port refused: someone has it open.
    bool port_lock_wanted() const { return faults_.exclusive && open_count_ > 0; }
    // The caller has locked or unlocked the port accordingly.
    void port_lock_changed(bool locked, Clock::time_point now);

    bool connected() const { return open_count_ > 0; }
    int connection() const { return connection_; }

  private:
    struct Outgoing {
        std::uint8_t byte;
        Clock::time_point due;
        bool flow_control; // XON/XOFF of the xoff fault, not part of a reply
    };

    JournalLine line(std::string_view name, Clock::time_point now) const;
    void handle(const Command& command, int tty_bps, Clock::time_point now);
    void queue_reply(const std::vector<std::uint8_t>& bytes, Clock::duration delay,
                     Clock::time_point now);
    void hold_line(Clock::time_point now);
    void end_connection(Clock::time_point now);
    void write_parsed(const std::vector<Command>& commands, int tty_bps, Clock::time_point now);

    Printer& printer_;
    Journal& journal_;
    PaperOutput* paper_ = nullptr;
    std::mt19937 random_;
    Faults faults_;
    CommandParser parser_;
    std::deque<Outgoing> queue_;

    int open_count_ = 0;
    int connection_ = 0;
    Clock::time_point opened_at_{};
    std::optional<Clock::time_point> closed_at_;
    std::size_t received_in_connection_ = 0;
    bool line_held_ = false; // the xoff fault has struck in this connection
    bool vanished_ = false;
};

} // namespace tq350::sim
