// The TQ-350's inner state: what it answers and how the commands change it. No I/O here.
#pragma once

#include "command.h"
#include "profile.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq350::sim {

inline constexpr std::uint8_t xon = 0x11;
inline constexpr std::uint8_t xoff = 0x13;

// The downloaded logo: `rows` rows of `row_bytes` bytes, top row first, bit 0 the leftmost dot.
struct Logo {
    int row_bytes = 0;
    int rows = 0;
    std::vector<std::uint8_t> raster;
};

// A downloadable font: the glyph rows of each code as sent (48 bytes for font A, 16 for font B);
// an empty entry is a code that was never defined.
struct DownloadedFont {
    std::array<std::vector<std::uint8_t>, 256> glyphs;
};

// Settings that the printer keeps but does not report.
struct PrinterSettings {
    int density = 3; // 0 = 70 % ... 5 = 150 %
    int auto_off_minutes = 10;
    bool black_mark = false;
    int irda_code = 0;       // 0 = up to 115200 bps, 1 = up to 57600 bps
    bool user_chars = false; // print with the downloaded characters
    int print_mode = 0;      // ESC ! value; bit 0 selects font B
    int rotation = 0;
    bool upside_down = false;
    int char_spacing = 0;
    int left_margin = 0;
    int line_spacing = 0;
    int barcode_width = 3;
    int barcode_height = 162;
    int barcode_font = 0;
    int barcode_text_position = 0;
    std::string bluetooth_record;
};

struct Reply {
    std::vector<std::uint8_t> bytes;
    std::chrono::milliseconds delay{0}; // until the first byte may go out
};

struct Outcome {
    std::optional<Reply> reply;
    std::string note; // why a request went unanswered or a command was ignored
};

class Printer {
  public:
    explicit Printer(const Profile& profile);

    Outcome handle(const Command& command);

    // The program closed the port. A speed change waits for this, since the program goes on
    // sending in the same write after ESC S; a printer turned off wakes at the next connection.
    // Returns the new speed when it changed.
    std::optional<int> end_connection();

    // Off and on again: the profile's speed and switches; the logo and the downloaded
    // characters stay, as they would in the printer's flash.
    void power_cycle();

    int speed() const { return speed_; }
    bool is_off() const { return off_; }
    std::array<std::uint8_t, 32> information_block() const;
    std::array<std::uint8_t, 2> power_reply() const;
    std::uint8_t status_byte() const { return profile_.status; }
    std::vector<std::uint8_t> magstripe_reply(std::uint8_t track_byte) const;

    // Switch n (1-8) as last set.
    bool switch_on(int n) const;
    const PrinterSettings& settings() const { return settings_; }
    const Profile& profile() const { return profile_; }
    const Logo& logo() const { return logo_; }
    const DownloadedFont& font(bool font_b) const { return fonts_[font_b ? 1 : 0]; }

  private:
    void set_switch(int n, bool on);
    void define_logo(const Command& command);
    void define_glyphs(const Command& command);
    Outcome magstripe(std::uint8_t track_byte) const;

    Profile profile_;
    std::uint8_t switches_; // switches 1-7 in bits 0-6; bit 7 stays as the profile has it
    bool switch_8_ = false; // kept, never reported
    int speed_;
    std::optional<int> next_speed_;
    bool off_ = false;
    PrinterSettings settings_;
    Logo logo_;
    std::array<DownloadedFont, 2> fonts_;
};

// Empty when every reply of the profile can go over the program's XON/XOFF line; otherwise a
// message naming the profile key that would need 0x11 or 0x13 in a reply.
std::string check_profile_replies(const Profile& profile);

} // namespace tq350::sim
