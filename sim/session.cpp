#include "session.h"

#include <algorithm>

namespace tq350::sim {

Session::Session(Printer& printer, Journal& journal, std::uint32_t seed)
    : printer_(printer), journal_(journal), random_(seed) {}

JournalLine Session::line(std::string_view name, Clock::time_point now) const {
    JournalLine l(name);
    l.add("conn", std::int64_t{connected() ? connection_ : 0});
    if (connected())
        l.add_seconds("since_open", now - opened_at_);
    l.add("bps", std::int64_t{printer_.speed()});
    return l;
}

void Session::port_opened(Clock::time_point now) {
    ++open_count_;
    if (open_count_ == 1) {
        ++connection_;
        opened_at_ = now;
        received_in_connection_ = 0;
        line_held_ = false;
    }
    JournalLine l = line("open", now);
    l.add("open_fds", std::int64_t{open_count_});
    if (open_count_ == 1 && closed_at_)
        l.add_seconds("since_close", now - *closed_at_);
    journal_.write(l);
}

void Session::port_closed(Clock::time_point now) {
    // A close without an open we saw belongs to a file opened before we watched.
    if (open_count_ == 0)
        return;
    if (open_count_ == 1)
        write_parsed(parser_.finish(), 0, now);
    JournalLine l = line("close", now);
    --open_count_;
    l.add("open_fds", std::int64_t{open_count_});
    journal_.write(l);
    if (open_count_ == 0)
        end_connection(now);
}

void Session::port_lost(Clock::time_point now) {
    if (open_count_ == 0) {
        queue_.clear();
        return;
    }
    write_parsed(parser_.finish(), 0, now);
    journal_.write(line("close", now).add("open_fds", std::int64_t{0}).add("reason", "vanished"));
    open_count_ = 0;
    end_connection(now);
    queue_.clear();
}

void Session::port_lock_changed(bool locked, Clock::time_point now) {
    journal_.write(line("fault_action", now).add("fault", "exclusive").add("locked", locked));
}

void Session::end_connection(Clock::time_point now) {
    // Replies nobody reads are dropped, but an XON still owed goes out at once: the tty keeps
    // its output stopped after the close, and the next connection could not write at all.
    std::deque<Outgoing> kept;
    for (Outgoing& o : queue_)
        if (o.flow_control && o.byte == xon)
            kept.push_back({o.byte, now, true});
    queue_ = std::move(kept);
    if (paper_)
        paper_->connection_ended(printer_, connection_);
    const int old_speed = printer_.speed();
    if (const auto speed = printer_.end_connection())
        journal_.write(line("speed_changed", now)
                           .add("from", std::int64_t{old_speed})
                           .add("to", std::int64_t{*speed}));
    closed_at_ = now;
}

void Session::received(std::span<const std::uint8_t> bytes, int tty_bps, Clock::time_point now) {
    if (vanished_ || bytes.empty())
        return;
    if (faults_.xoff_hold_ms && !line_held_ &&
        received_in_connection_ + bytes.size() >= faults_.xoff_after.value_or(1))
        hold_line(now);
    bool vanish_now = false;
    if (faults_.vanish_after) {
        const std::size_t room =
            *faults_.vanish_after - std::min(*faults_.vanish_after, received_in_connection_);
        if (bytes.size() >= room) {
            bytes = bytes.first(room);
            vanish_now = true;
        }
    }
    received_in_connection_ += bytes.size();
    if (!bytes.empty()) {
        if (tty_bps != printer_.speed()) {
            // A UART at another speed makes garbage of every byte; no command survives it.
            write_parsed(parser_.finish(), tty_bps, now);
            journal_.write(
                line("noise", now).add("tty_bps", std::int64_t{tty_bps}).add_hex("hex", bytes));
        } else {
            write_parsed(parser_.feed(bytes), tty_bps, now);
        }
    }
    if (vanish_now) {
        journal_.write(line("fault_action", now)
                           .add("fault", "vanish")
                           .add("after_bytes", static_cast<std::int64_t>(*faults_.vanish_after)));
        vanished_ = true;
    }
}

void Session::write_parsed(const std::vector<Command>& commands, int tty_bps,
                           Clock::time_point now) {
    for (const Command& c : commands)
        handle(c, tty_bps, now);
}

void Session::handle(const Command& command, int tty_bps, Clock::time_point now) {
    const Outcome outcome = printer_.handle(command);
    // A command the printer turned down leaves the paper and the stored pictures alone.
    std::string note = outcome.note;
    if (paper_ && note.empty())
        note = paper_->handled(command, printer_, connection_);
    JournalLine l = line(command_name(command.kind), now);
    if (tty_bps)
        l.add("tty_bps", std::int64_t{tty_bps});
    l.add_params(command_fields(command));
    l.add_hex("hex", command.bytes);
    std::vector<JournalLine> actions;
    if (outcome.reply) {
        const std::vector<std::uint8_t>& reply = outcome.reply->bytes;
        const std::vector<std::uint8_t> sent = shape_reply(reply, faults_, random_);
        l.add_hex("reply", sent);
        if (outcome.reply->delay.count())
            l.add("reply_delay_ms", static_cast<std::int64_t>(outcome.reply->delay.count()));
        if (faults_.mute)
            actions.push_back(
                line("fault_action", now).add("fault", "mute").add_hex("dropped", reply));
        else if (faults_.garbage)
            actions.push_back(line("fault_action", now)
                                  .add("fault", "garbage")
                                  .add_hex("instead_of", std::span(reply).first(sent.size())));
        if (!faults_.mute && sent.size() < reply.size())
            actions.push_back(line("fault_action", now)
                                  .add("fault", "short")
                                  .add("sent", static_cast<std::int64_t>(sent.size()))
                                  .add("of", static_cast<std::int64_t>(reply.size())));
        if (faults_.slow_gap_ms && sent.size() > 1)
            actions.push_back(line("fault_action", now)
                                  .add("fault", "slow")
                                  .add("gap_ms", std::int64_t{*faults_.slow_gap_ms}));
        queue_reply(sent, outcome.reply->delay, now);
    }
    if (!note.empty())
        l.add("note", std::string_view(note));
    journal_.write(l);
    for (const JournalLine& a : actions)
        journal_.write(a);
}

void Session::queue_reply(const std::vector<std::uint8_t>& bytes, Clock::duration delay,
                          Clock::time_point now) {
    const Clock::duration gap = std::chrono::milliseconds(faults_.slow_gap_ms.value_or(0));
    Clock::time_point due = now + delay;
    for (std::uint8_t b : bytes) {
        // Behind a held line or an earlier slow reply the gap still counts from the byte before.
        if (gap.count() && !queue_.empty())
            due = std::max(due, queue_.back().due + gap);
        queue_.push_back({b, due, false});
    }
}

void Session::hold_line(Clock::time_point now) {
    line_held_ = true;
    const auto hold = std::chrono::milliseconds(*faults_.xoff_hold_ms);
    queue_.push_back({xoff, now, true});
    queue_.push_back({xon, now + hold, true});
    journal_.write(
        line("fault_action", now).add("fault", "xoff").add("hold_ms", std::int64_t{hold.count()}));
}

void Session::set_faults(const Faults& faults, std::string_view source, Clock::time_point now) {
    faults_ = faults;
    if (faults_.power_cycle) {
        faults_.power_cycle = false;
        printer_.power_cycle();
        journal_.write(line("power_cycle", now));
    }
    if (!faults_.vanish_after)
        vanished_ = false;
    journal_.write(
        line("faults", now).add("source", source).add_list("active", fault_names(faults_)));
}

std::optional<Clock::time_point> Session::next_due() const {
    if (queue_.empty())
        return std::nullopt;
    return queue_.front().due;
}

std::vector<std::uint8_t> Session::take_due(Clock::time_point now) {
    std::vector<std::uint8_t> bytes;
    while (!queue_.empty() && queue_.front().due <= now) {
        bytes.push_back(queue_.front().byte);
        queue_.pop_front();
    }
    return bytes;
}

} // namespace tq350::sim
