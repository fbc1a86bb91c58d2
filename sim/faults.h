// Misbehaviour on demand, so the program's failure paths can be tried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::sim {

struct Faults {
    bool mute = false;                      // mute: answers nothing
    std::optional<std::size_t> short_reply; // short=N: each reply cut to N bytes
    bool garbage = false;                   // garbage: wrong bytes, never 0x11 or 0x13
    std::optional<int> slow_gap_ms;         // slow[=MS]: pause between reply bytes
    std::optional<int> xoff_hold_ms;        // xoff=MS: XOFF when a connection first writes
    // xoff_after=N: with xoff, the XOFF waits until N bytes of the connection have arrived, so
    // that it lands between two writes of the program instead of racing its first ones.
    std::optional<std::size_t> xoff_after;
    std::optional<std::size_t> vanish_after; // vanish=N: gone after N bytes of a connection
    // exclusive: while a program has the port open every other open fails, as on Windows, where
    // a COM port belongs to one program at a time. Wine lets two programs open one tty.
    bool exclusive = false;
    // power_cycle: not a fault but a one-off, switched off and on again, so that a test
    // starts from the profile's speed and switches whatever the last one left behind.
    bool power_cycle = false;

    bool operator==(const Faults&) const = default;
};

// Well above the program's 150 ms gap between reply bytes.
inline constexpr int default_slow_gap_ms = 200;

// Adds one fault ("mute", "short=3", ...) to `faults`; false with a message if it is
// not one.
bool add_fault(std::string_view fault, Faults& faults, std::string& error);

// One fault per line; blank lines and '#' lines are skipped. An empty text is a healthy printer.
// The set is checked as a whole (check_faults).
bool parse_faults(std::string_view text, Faults& faults, std::string& error);

// False with a message when the faults only make sense together and one is missing.
bool check_faults(const Faults& faults, std::string& error);

// The faults that make up `faults`, in a fixed order, as add_fault reads them.
std::vector<std::string> fault_names(const Faults& faults);

// What mute, garbage and short make of a reply. Garbage bytes each differ from the true byte
// and are never 0x11 or 0x13, so a reader can tell them from the real reply.
std::vector<std::uint8_t> shape_reply(const std::vector<std::uint8_t>& reply, const Faults& faults,
                                      std::mt19937& random);

} // namespace tq350::sim
