// The journal: one JSON object per line, flushed at once, so a test can follow it live.
#pragma once

#include "command.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::sim {

// Bytes as the team writes them: "1B 40 00".
std::string hex_bytes(std::span<const std::uint8_t> bytes);

// A JSON string literal of raw bytes; bytes from 0x80 up are read as Latin-1.
std::string json_string(std::string_view bytes);

// Builds one journal object field by field, in the order given.
class JournalLine {
  public:
    explicit JournalLine(std::string_view name);

    JournalLine& add(std::string_view key, std::int64_t value);
    JournalLine& add(std::string_view key, bool value);
    JournalLine& add(std::string_view key, std::string_view value);
    JournalLine& add(std::string_view key, const char* value) {
        return add(key, std::string_view(value));
    }
    JournalLine& add_value(std::string_view key, const FieldValue& value);
    JournalLine& add_seconds(std::string_view key, std::chrono::steady_clock::duration d);
    JournalLine& add_hex(std::string_view key, std::span<const std::uint8_t> bytes);
    JournalLine& add_params(const std::vector<Field>& fields);
    JournalLine& add_list(std::string_view key, const std::vector<std::string>& values);

    const std::string& name() const { return name_; }
    // The fields after "name", each with its leading comma.
    const std::string& body() const { return body_; }

  private:
    void key(std::string_view k);

    std::string name_;
    std::string body_;
};

class Journal {
  public:
    // Writes to `out`, which the journal neither owns nor closes; nullptr writes nothing.
    Journal(std::FILE* out, std::chrono::steady_clock::time_point start);

    // {"t":..., "wall":..., "name":..., then the line's fields}.
    void write(const JournalLine& line, std::chrono::steady_clock::time_point now,
               std::chrono::system_clock::time_point wall);
    void write(const JournalLine& line);

    // The text write() would put out, without the newline.
    std::string format(const JournalLine& line, std::chrono::steady_clock::time_point now,
                       std::chrono::system_clock::time_point wall) const;

  private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace tq350::sim
