// What a command tells its user: lines of text, or with --json one object;
// messages about failures go to stderr either way.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tq350::cli {

// The printer's texts are 8-bit Windows text (the degree sign is 0xB0); the
// terminal wants UTF-8. Bytes from 0x80 up are taken as Latin-1.
std::string to_utf8(std::string_view eight_bit);

// A JSON string literal of eight-bit text.
std::string json_string(std::string_view eight_bit);

class Output {
  public:
    Output(bool json, bool quiet) : json_(json), quiet_(quiet) {}

    // A line for people; dropped with --json or --quiet.
    void line(const std::string& text);
    // A member of the JSON object; `value` is JSON already.
    void member(std::string key, std::string value);
    // Prints the JSON object when --json was given.
    void finish();

  private:
    bool json_;
    bool quiet_;
    std::vector<std::pair<std::string, std::string>> members_;
};

// "tq350: THING: WHY" on stderr; returns `status` for the caller's return.
int fail(int status, std::string_view thing, std::string_view why);

} // namespace tq350::cli
