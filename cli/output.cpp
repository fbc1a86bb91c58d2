#include "cli/output.h"

#include <cstdio>

namespace tq350::cli {

std::string to_utf8(std::string_view eight_bit) {
    std::string text;
    for (const char c : eight_bit) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string json_string(std::string_view eight_bit) {
    std::string text = "\"";
    for (const char c : to_utf8(eight_bit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

void Output::line(const std::string& text) {
    if (!json_ && !quiet_)
        std::printf("%s\n", text.c_str());
}

void Output::member(std::string key, std::string value) {
    members_.emplace_back(std::move(key), std::move(value));
}

void Output::finish() {
    if (!json_ || members_.empty())
        return;
    std::string text = "{";
    for (std::size_t i = 0; i < members_.size(); ++i)
        text += (i ? ", " : "") + json_string(members_[i].first) + ": " + members_[i].second;
    std::printf("%s}\n", text.c_str());
    std::fflush(stdout);
}

int fail(int status, std::string_view thing, std::string_view why) {
    std::fflush(stdout);
    std::fprintf(stderr, "tq350: %.*s: %.*s\n", static_cast<int>(thing.size()), thing.data(),
                 static_cast<int>(why.size()), why.data());
    return status;
}

} // namespace tq350::cli
