#include "journal.h"

#include <ctime>

namespace tq350::sim {
namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

// Milliseconds, written as seconds with three decimals.
std::string seconds_text(std::chrono::steady_clock::duration d) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    const auto whole = ms / 1000, part = ms % 1000;
    char text[32];
    if (ms < 0)
        std::snprintf(text, sizeof text, "-%lld.%03lld", static_cast<long long>(-whole),
                      static_cast<long long>(-part));
    else
        std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(whole),
                      static_cast<long long>(part));
    return text;
}

std::string wall_text(std::chrono::system_clock::time_point wall) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch());
    const std::time_t seconds = static_cast<std::time_t>(ms.count() / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms.count() % 1000));
    return text;
}

} // namespace

std::string hex_bytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += hex_digits[b >> 4];
        text += hex_digits[b & 15];
    }
    return text;
}

std::string json_string(std::string_view bytes) {
    std::string text = "\"";
    for (char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == '"' || b == '\\') {
            text += '\\';
            text += c;
        } else if (b >= 0x20 && b < 0x7F) {
            text += c;
        } else {
            text += "\\u00";
            text += hex_digits[b >> 4];
            text += hex_digits[b & 15];
        }
    }
    text += '"';
    return text;
}

JournalLine::JournalLine(std::string_view name) : name_(name) {}

void JournalLine::key(std::string_view k) {
    body_ += ',';
    body_ += json_string(k);
    body_ += ':';
}

JournalLine& JournalLine::add(std::string_view k, std::int64_t value) {
    key(k);
    body_ += std::to_string(value);
    return *this;
}

JournalLine& JournalLine::add(std::string_view k, bool value) {
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}

JournalLine& JournalLine::add(std::string_view k, std::string_view value) {
    key(k);
    body_ += json_string(value);
    return *this;
}

JournalLine& JournalLine::add_value(std::string_view k, const FieldValue& value) {
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return add(k, *n);
    if (const auto* b = std::get_if<bool>(&value))
        return add(k, *b);
    if (const auto* s = std::get_if<std::string>(&value))
        return add(k, std::string_view(*s));
    key(k);
    body_ += '[';
    const auto& list = std::get<std::vector<int>>(value);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i)
            body_ += ',';
        body_ += std::to_string(list[i]);
    }
    body_ += ']';
    return *this;
}

JournalLine& JournalLine::add_seconds(std::string_view k, std::chrono::steady_clock::duration d) {
    key(k);
    body_ += seconds_text(d);
    return *this;
}

JournalLine& JournalLine::add_hex(std::string_view k, std::span<const std::uint8_t> bytes) {
    return add(k, std::string_view(hex_bytes(bytes)));
}

JournalLine& JournalLine::add_params(const std::vector<Field>& fields) {
    key("params");
    JournalLine params("");
    for (const Field& f : fields)
        params.add_value(f.name, f.value);
    body_ += '{';
    if (!params.body_.empty())
        body_.append(params.body_, 1);
    body_ += '}';
    return *this;
}

JournalLine& JournalLine::add_list(std::string_view k, const std::vector<std::string>& values) {
    key(k);
    body_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            body_ += ',';
        body_ += json_string(values[i]);
    }
    body_ += ']';
    return *this;
}

Journal::Journal(std::FILE* out, std::chrono::steady_clock::time_point start)
    : out_(out), start_(start) {}

std::string Journal::format(const JournalLine& line, std::chrono::steady_clock::time_point now,
                            std::chrono::system_clock::time_point wall) const {
    return "{\"t\":" + seconds_text(now - start_) + ",\"wall\":\"" + wall_text(wall) +
           "\",\"name\":" + json_string(line.name()) + line.body() + "}";
}

void Journal::write(const JournalLine& line, std::chrono::steady_clock::time_point now,
                    std::chrono::system_clock::time_point wall) {
    if (!out_)
        return;
    const std::string text = format(line, now, wall) + "\n";
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

void Journal::write(const JournalLine& line) {
    write(line, std::chrono::steady_clock::now(), std::chrono::system_clock::now());
}

} // namespace tq350::sim
