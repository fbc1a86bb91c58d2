// Splits the byte stream from the program into commands, however the stream arrives in reads.
#pragma once

#include "command.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tq350::sim {

// What the bytes at the start of a buffer can be.
struct Match {
    enum class Status { no_match, need_more, complete };
    Status status = Status::no_match;
    CommandKind kind = CommandKind::unknown;
    // complete: the command's length; need_more: the buffer size at which to look again.
    std::size_t length = 0;
};

// Matches one command at the start of `bytes`. At the end of the stream a command whose
// length depends on a byte that never came is taken as it stands where that makes sense.
Match match_command(std::span<const std::uint8_t> bytes, bool at_end);

// An incremental parser: feed it reads as they come; the commands come out in stream order and
// do not depend on where the reads split the stream. Printable bytes outside commands gather
// into text, other stray bytes into unknown runs; a run ends at the next command or at
// max_run_bytes. The parser never waits for more than the longest command, a 65 KB logo.
class CommandParser {
  public:
    static constexpr std::size_t max_run_bytes = 256;

    std::vector<Command> feed(std::span<const std::uint8_t> bytes);

    // The stream ended (the port was closed): pending runs come out, and a command cut short
    // comes out as truncated. The parser is then ready for a new stream.
    std::vector<Command> finish();

  private:
    void parse(bool at_end, std::vector<Command>& out);
    void add_to_run(CommandKind kind, std::span<const std::uint8_t> bytes,
                    std::vector<Command>& out);
    void end_run(std::vector<Command>& out);

    std::vector<std::uint8_t> pending_; // bytes not yet part of a command or a run
    std::size_t look_again_at_ = 0;     // pending_ size at which matching can decide
    Command run_{CommandKind::unknown, {}};
};

} // namespace tq350::sim
