// Any byte stream as the program's side of the line, read whole and a byte at a time; every
// command then goes to the printer model. The seeds in seeds/ are what the setup tool sends in
// its exchanges, named for them, and streams garbled or cut short.

#include "app/tests/fuzz_check.h"
#include "command_parser.h"
#include "printer.h"
#include "profile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

using namespace tq350::sim;

namespace {

using Commands = std::vector<Command>;

void append(Commands& to, Commands from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

// A request must come out with its last byte, or its reply would wait for the program's next
// write. Other commands may wait: ESC S "3" after ESC _ could still be part of a total reset.
bool is_request(const Command& c) {
    return c.kind == CommandKind::info_request || c.kind == CommandKind::power_request ||
           c.kind == CommandKind::status_request || c.kind == CommandKind::magstripe_request;
}

// Feeds a byte at a time, checking after each that every request of `whole` that ended with it
// has come out.
Commands parse_byte_by_byte(std::span<const std::uint8_t> stream, const Commands& whole) {
    CommandParser parser;
    Commands out;
    std::size_t next = 0; // the first command of `whole` not yet ended
    std::size_t end = 0;  // where it ends in the stream
    for (std::size_t i = 0; i < stream.size(); ++i) {
        append(out, parser.feed(stream.subspan(i, 1)));
        for (; next < whole.size() && end + whole[next].bytes.size() <= i + 1; ++next) {
            end += whole[next].bytes.size();
            if (is_request(whole[next]))
                TQ350_FUZZ_CHECK(out.size() > next);
        }
    }
    append(out, parser.finish());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> stream(data, size);

    CommandParser parser;
    Commands whole = parser.feed(stream);
    append(whole, parser.finish());

    // Every byte comes out once, in order, and the runs stay within their limit.
    std::vector<std::uint8_t> joined;
    for (const Command& c : whole) {
        TQ350_FUZZ_CHECK(!c.bytes.empty());
        TQ350_FUZZ_CHECK(command_name(c.kind) != "?");
        joined.insert(joined.end(), c.bytes.begin(), c.bytes.end());
        if (c.kind == CommandKind::text || c.kind == CommandKind::unknown)
            TQ350_FUZZ_CHECK(c.bytes.size() <= CommandParser::max_run_bytes);
        if (c.kind == CommandKind::text)
            TQ350_FUZZ_CHECK(std::all_of(c.bytes.begin(), c.bytes.end(),
                                         [](std::uint8_t b) { return b >= 0x20; }));
        command_fields(c);
    }
    TQ350_FUZZ_CHECK(std::equal(joined.begin(), joined.end(), stream.begin(), stream.end()));

    TQ350_FUZZ_CHECK(parse_byte_by_byte(stream, whole) == whole);

    // The program's line runs XON/XOFF: no reply may hold those two bytes.
    Printer printer(default_profile());
    for (const Command& c : whole) {
        const Outcome outcome = printer.handle(c);
        if (outcome.reply) {
            const auto& reply = outcome.reply->bytes;
            TQ350_FUZZ_CHECK(std::none_of(reply.begin(), reply.end(),
                                          [](std::uint8_t b) { return b == xon || b == xoff; }));
            TQ350_FUZZ_CHECK(reply.size() <= 256);
        }
    }
    printer.end_connection();
    return 0;
}
