#include "cli/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "app/selection_lists.h"
#include "cli/files.h"
#include "cli/output.h"
#include "cli/picture_logo.h"
#include "cli/png_output.h"
#include "cli/port.h"
#include "cli/profile.h"
#include "cli/remembered.h"
#include "cli/string_table.h"
#include "font/font_download_core.h"
#include "font/font_table_core.h"
#include "link/exchanges.h"
#include "link/parameter_write_core.h"
#include "link/printer_commands_core.h"
#include "logo/logo_conversion_core.h"
#include "logo/logo_download_core.h"
#include "logo/picture_file_core.h"
#include "tools/barcode_core.h"
#include "tools/bluetooth_address_core.h"
#include "tools/magstripe_core.h"

namespace tq350::cli {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string program_text(int id) {
    for (const StringEntry& entry : string_table) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

bool switch_has_text(std::size_t index) {
    return !program_text(IDS_SWITCH_FIRST + static_cast<int>(index)).empty();
}

std::optional<int> parse_number(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<bool> parse_on_off(const std::string& text) {
    if (text == "on" || text == "yes")
        return true;
    if (text == "off" || text == "no")
        return false;
    return std::nullopt;
}

std::string on_off(bool on) {
    return on ? "on" : "off";
}

std::optional<std::size_t> speed_index(const std::string& text) {
    for (std::size_t i = 0; i < kSpeedItems.size(); ++i) {
        if (std::to_string(kSpeedItems[i].data) == text)
            return i;
    }
    return std::nullopt;
}

// ---- parameters ---------------------------------------------------------

// What a `set` or a profile asks for; nothing means "leave as it is".
struct ParameterChanges {
    std::array<std::optional<bool>, link::switch_count> switches;
    std::optional<int> density_index;
    std::optional<int> auto_off_minutes;
    std::optional<bool> black_mark_mode;
    std::optional<bool> max_115200;
    std::optional<bool> reliable_irda;

    bool any() const {
        return std::any_of(switches.begin(), switches.end(),
                           [](auto s) { return s.has_value(); }) ||
               density_index || auto_off_minutes || black_mark_mode || max_115200 || reliable_irda;
    }
};

using Values = std::map<std::string, std::vector<std::string>>;

// The parameter values named in `values`; an error names the bad one.
std::optional<ParameterChanges> parse_parameter_changes(const Values& values, std::string& error) {
    ParameterChanges changes;
    const auto last = [&](const char* key) -> const std::string* {
        const auto it = values.find(key);
        return it == values.end() || it->second.empty() ? nullptr : &it->second.back();
    };
    if (const auto it = values.find("switch"); it != values.end()) {
        for (const std::string& item : it->second) {
            const std::size_t eq = item.find('=');
            const auto number = parse_number(item.substr(0, eq), 1, link::switch_count);
            const auto on =
                eq == std::string::npos ? std::nullopt : parse_on_off(item.substr(eq + 1));
            if (!number || !on) {
                error = "switch '" + item + "': give N=on or N=off, N from 1 to 8";
                return std::nullopt;
            }
            if (!switch_has_text(static_cast<std::size_t>(*number - 1))) {
                error = "switch " + std::to_string(*number) + " is not used by the printer";
                return std::nullopt;
            }
            changes.switches[static_cast<std::size_t>(*number - 1)] = *on;
        }
    }
    if (const std::string* v = last("density")) {
        const auto it =
            std::find_if(kDensityItems.begin(), kDensityItems.end(),
                         [&](const ListItem& d) { return std::to_string(d.data) == *v; });
        if (it == kDensityItems.end()) {
            error = "density '" + *v + "': one of 70, 80, 90, 100, 120, 150";
            return std::nullopt;
        }
        changes.density_index = static_cast<int>(it - kDensityItems.begin());
    }
    if (const std::string* v = last("auto-off")) {
        if (!(changes.auto_off_minutes =
                  parse_number(*v, kAutoOffMinMinutes, kAutoOffMaxMinutes))) {
            error = "auto-off '" + *v + "': minutes from 1 to 60";
            return std::nullopt;
        }
    }
    if (const std::string* v = last("black-mark")) {
        if (!(changes.black_mark_mode = parse_on_off(*v))) {
            error = "black-mark '" + *v + "': on or off";
            return std::nullopt;
        }
    }
    if (const std::string* v = last("irda-speed")) {
        if (*v != "115200" && *v != "57600") {
            error = "irda-speed '" + *v + "': 115200 or 57600";
            return std::nullopt;
        }
        changes.max_115200 = *v == "115200";
    }
    if (const std::string* v = last("irda-protocol")) {
        if (*v != "reliable" && *v != "raw") {
            error = "irda-protocol '" + *v + "': reliable or raw";
            return std::nullopt;
        }
        changes.reliable_irda = *v == "reliable";
    }
    // Switch 7 is the IrDA protocol: either name sets both.
    constexpr std::size_t irda_switch = 6;
    if (changes.reliable_irda)
        changes.switches[irda_switch] = !*changes.reliable_irda;
    else if (changes.switches[irda_switch])
        changes.reliable_irda = !*changes.switches[irda_switch];
    return changes;
}

// The parameters as they stand: switches and the IrDA protocol from the
// printer, the rest from what was last written here (the dialog's start-up
// values when nothing was).
link::ParameterSettings current_parameters(const link::PrinterInfo& info, const Remembered& r) {
    link::ParameterSettings s;
    for (std::size_t i = 0; i < s.switches.size(); ++i)
        s.switches[i].has_text = switch_has_text(i);
    for (std::size_t k = 0; k < link::reported_switch_count; ++k)
        s.switches[k].on = info.switches[k];
    s.switches[7].on = r.number("switch8").value_or(0) != 0;
    s.density_index = r.number("density_index").value_or(s.density_index);
    s.auto_off_minutes = r.number("auto_off").value_or(s.auto_off_minutes);
    s.black_mark_mode = info.black_marks && r.number("black_mark").value_or(0) != 0;
    s.max_115200 = r.number("max_115200").value_or(1) != 0;
    s.reliable_irda = !info.raw_irda;
    return s;
}

link::ParameterSettings with_changes(link::ParameterSettings s, const ParameterChanges& c) {
    for (std::size_t i = 0; i < s.switches.size(); ++i) {
        if (c.switches[i])
            s.switches[i].on = *c.switches[i];
    }
    s.density_index = c.density_index.value_or(s.density_index);
    s.auto_off_minutes = c.auto_off_minutes.value_or(s.auto_off_minutes);
    s.black_mark_mode = c.black_mark_mode.value_or(s.black_mark_mode);
    s.max_115200 = c.max_115200.value_or(s.max_115200);
    s.reliable_irda = c.reliable_irda.value_or(s.reliable_irda);
    return s;
}

void remember_parameters(Remembered& r, const link::ParameterSettings& s) {
    r.set("switch8", s.switches[7].on ? "1" : "0");
    r.set("density_index", std::to_string(s.density_index));
    r.set("auto_off", std::to_string(s.auto_off_minutes));
    r.set("black_mark", s.black_mark_mode ? "1" : "0");
    r.set("max_115200", s.max_115200 ? "1" : "0");
}

// One parameter as the user says it; what the printer does not report is
// kept under `remembered_key`. `named` tells whether the changes name it.
struct ParameterItem {
    std::string name;
    std::string value;
    std::string remembered_key; // empty: the printer reports it
    bool named = false;
};

std::vector<ParameterItem> parameter_items(const link::ParameterSettings& s,
                                           const ParameterChanges& changes = {}) {
    std::vector<ParameterItem> items;
    for (std::size_t i = 0; i < s.switches.size(); ++i) {
        if (s.switches[i].has_text)
            items.push_back({"switch " + std::to_string(i + 1), on_off(s.switches[i].on),
                             i < link::reported_switch_count ? "" : "switch8",
                             changes.switches[i].has_value()});
    }
    const auto density = static_cast<std::size_t>(s.density_index);
    items.push_back({"density", density < kDensityItems.size() ? kDensityItems[density].text : "?",
                     "density_index", changes.density_index.has_value()});
    items.push_back({"auto-off", std::to_string(s.auto_off_minutes) + " min", "auto_off",
                     changes.auto_off_minutes.has_value()});
    items.push_back({"black-mark", on_off(s.black_mark_mode), "black_mark",
                     changes.black_mark_mode.has_value()});
    items.push_back({"irda-speed", s.max_115200 ? "115200" : "57600", "max_115200",
                     changes.max_115200.has_value()});
    items.push_back({"irda-protocol", s.reliable_irda ? "reliable" : "raw", "",
                     changes.reliable_irda.has_value()});
    return items;
}

// ---- the line -------------------------------------------------------------

class Printer {
  public:
    explicit Printer(const Invocation& call) : call_(call), speed_(call.speed) {}

    std::uint32_t speed() const { return speed_; }
    void follow_speed(std::uint32_t speed) { speed_ = speed; }

    // The three requests; a message naming `step` when they fail, unless
    // the caller has another try in mind.
    std::optional<link::PrinterReadings> query(std::string_view step, bool quietly = false) {
        const auto line = open(step, quietly);
        if (!line)
            return std::nullopt;
        link::PrinterReadings readings;
        if (!link::query_printer(*line, readings)) {
            if (!quietly)
                fail(exit_printer, call_.port,
                     "the printer did not answer (" + std::string(step) + ")");
            return std::nullopt;
        }
        return readings;
    }

    // A one-way sequence through the chunked send, over its own connection.
    bool send(std::span<const std::uint8_t> bytes, std::string_view step) {
        const auto line = open(step);
        if (!line)
            return false;
        const link::SendTally tally = link::send_in_chunks(*line, bytes);
        if (!link::send_succeeded(tally)) {
            fail(exit_printer, call_.port,
                 "the printer did not take the bytes (" + std::string(step) + ")");
            return false;
        }
        return true;
    }

    std::unique_ptr<link::PrinterLine> open(std::string_view step, bool quietly = false) {
        errno = 0;
        auto line = open_printer_port(call_.port, speed_);
        // The system's reason, when it gave one, tells a missing device from
        // one the user may not open (the dialout group on Linux).
        const std::string reason = errno ? std::string(": ") + std::strerror(errno) : "";
        if (!line && !quietly)
            fail(exit_printer, call_.port,
                 "cannot open the port or greet the printer (" + std::string(step) + ")" + reason);
        return line;
    }

  private:
    const Invocation& call_;
    std::uint32_t speed_;
};

// ---- information ----------------------------------------------------------

void show_readings(Output& out, const link::PrinterReadings& readings, const Remembered& r) {
    const link::PrinterInfo info = link::decode_printer_info(readings.block);
    const link::ParameterSettings known = current_parameters(info, r);
    std::vector<std::string> features;
    std::string feature_list;
    for (std::size_t i = 0; i < info.capabilities.size(); ++i) {
        if (info.capabilities[i]) {
            features.push_back(program_text(IDS_CAPABILITY_FIRST + static_cast<int>(i)));
            feature_list += (feature_list.empty() ? "" : ", ") + json_string(features.back());
        }
    }
    std::string switch_members;
    out.line("name:        " + to_utf8(info.name));
    out.line("name number: " + std::to_string(info.name_number));
    out.line("features:    " + (features.empty() ? std::string("none") : features[0]));
    for (std::size_t i = 1; i < features.size(); ++i)
        out.line("             " + features[i]);
    for (std::size_t k = 0; k < link::switch_count; ++k) {
        const std::string text = program_text(IDS_SWITCH_FIRST + static_cast<int>(k));
        if (text.empty())
            continue;
        const bool on = known.switches[k].on;
        out.line(std::string(k == 0 ? "switches:    " : "             ") + on_off(on) + "  " +
                 to_utf8(text) +
                 (k < link::reported_switch_count ? ""
                  : r.text("switch8")             ? " (as last set)"
                                                  : " (not reported; the start-up value)"));
        switch_members += (switch_members.empty() ? "" : ", ") +
                          json_string(std::to_string(k + 1)) + ": " + (on ? "true" : "false");
    }
    const bool density_known = r.number("density_index").has_value();
    out.line("density:     " +
             std::string(kDensityItems[static_cast<std::size_t>(known.density_index)].text) +
             (density_known ? " (as last set)" : " (not reported; the start-up value)"));
    out.line("auto-off:    " + std::to_string(known.auto_off_minutes) + " min");
    out.line("black mark:  " + on_off(known.black_mark_mode));
    out.line("irda:        " + std::string(known.reliable_irda ? "reliable" : "raw") + ", max " +
             (known.max_115200 ? "115200" : "57600"));
    const std::string voltage = link::format_voltage(readings.power.voltage_tenths);
    const std::string temperature =
        link::format_temperature(readings.power.temperature, info.fahrenheit);
    const std::string status = program_text(link::status_text_id(readings.status));
    out.line("battery:     " + voltage);
    out.line("temperature: " + to_utf8(temperature));
    out.line("status:      " + status);

    out.member("name", json_string(info.name));
    out.member("name_number", std::to_string(info.name_number));
    out.member("features", "[" + feature_list + "]");
    out.member("switches", "{" + switch_members + "}");
    out.member("density",
               std::to_string(kDensityItems[static_cast<std::size_t>(known.density_index)].data));
    out.member("density_known", density_known ? "true" : "false");
    out.member("auto_off_minutes", std::to_string(known.auto_off_minutes));
    out.member("black_mark", known.black_mark_mode ? "true" : "false");
    out.member("irda_protocol", known.reliable_irda ? "\"reliable\"" : "\"raw\"");
    out.member("irda_speed", known.max_115200 ? "115200" : "57600");
    char volts[16];
    std::snprintf(volts, sizeof volts, "%.1f", readings.power.voltage_tenths * 0.1);
    out.member("battery_volts", volts);
    out.member("temperature", std::to_string(readings.power.temperature));
    out.member("temperature_unit", info.fahrenheit ? "\"F\"" : "\"C\"");
    out.member("status", json_string(status));
    out.member("status_byte", std::to_string(readings.status));
}

int command_info(const Invocation& call, Output& out) {
    Printer printer(call);
    const auto readings = printer.query("reading the printer");
    if (!readings)
        return exit_printer;
    out.member("port", json_string(call.port));
    out.member("speed", std::to_string(printer.speed()));
    show_readings(out, *readings, Remembered::load(call.port));
    return exit_done;
}

// ---- set ------------------------------------------------------------------

int command_set(const Invocation& call, Output& out) {
    std::string error;
    const auto changes = parse_parameter_changes(call.values, error);
    if (!changes)
        return fail(exit_usage, "set", error);
    if (!changes->any())
        return fail(exit_usage, "set", "nothing to set");
    Printer printer(call);
    const auto before = printer.query("reading the printer");
    if (!before)
        return exit_printer;
    Remembered remembered = Remembered::load(call.port);
    const link::PrinterInfo info = link::decode_printer_info(before->block);
    if (changes->black_mark_mode.value_or(false) && !info.black_marks)
        return fail(exit_printer, call.port, "the printer has no black-mark sensor");
    const link::ParameterSettings old = current_parameters(info, remembered);
    const link::ParameterSettings wanted = with_changes(old, *changes);
    if (!printer.send(link::build_parameter_sequence(wanted), "writing the parameters"))
        return exit_printer;
    remember_parameters(remembered, wanted);
    remembered.save();
    const auto after = printer.query("reading the printer back");
    if (!after)
        return exit_printer;
    const link::ParameterSettings now =
        current_parameters(link::decode_printer_info(after->block), remembered);
    const auto old_items = parameter_items(old);
    const auto new_items = parameter_items(now);
    const auto wanted_items = parameter_items(wanted);
    std::string changed;
    bool all_taken = true;
    for (std::size_t i = 0; i < new_items.size(); ++i) {
        if (new_items[i].value != wanted_items[i].value) {
            all_taken = false;
            fail(exit_printer, call.port,
                 new_items[i].name + " reads " + new_items[i].value + " after the write, not " +
                     wanted_items[i].value);
        } else if (old_items[i].value != new_items[i].value) {
            out.line(new_items[i].name + ": " + old_items[i].value + " -> " + new_items[i].value);
            changed += (changed.empty() ? "" : ", ") + json_string(new_items[i].name);
        }
    }
    if (changed.empty())
        out.line("nothing changed");
    out.member("changed", "[" + changed + "]");
    return all_taken ? exit_done : exit_printer;
}

// ---- one-way commands -------------------------------------------------------

int send_and_say(const Invocation& call, Output& out, std::span<const std::uint8_t> bytes,
                 const std::string& what) {
    Printer printer(call);
    if (!printer.send(bytes, what))
        return exit_printer;
    out.line(what + ": sent");
    out.member("sent", json_string(what));
    return exit_done;
}

// After a speed change or a total reset the printer talks at its new speed
// once the connection has closed: read it there, as the dialog does.
int follow_and_query(const Invocation& call, Output& out, Printer& printer, std::uint32_t speed) {
    printer.follow_speed(speed);
    const auto readings = printer.query("reading the printer at " + std::to_string(speed) + " bps");
    if (!readings)
        return exit_printer;
    out.line("speed: " + std::to_string(speed) + " bps");
    out.member("speed", std::to_string(speed));
    show_readings(out, *readings, Remembered::load(call.port));
    return exit_done;
}

int command_speed(const Invocation& call, Output& out) {
    const auto index = speed_index(call.operands[0]);
    if (!index)
        return fail(exit_usage, "speed",
                    "'" + call.operands[0] +
                        "' is not one of 1200, 2400, 4800, 9600, 19200, "
                        "57600, 115200");
    Printer printer(call);
    if (!printer.send(link::speed_change_command(*index), "changing the speed"))
        return exit_printer;
    return follow_and_query(call, out, printer,
                            static_cast<std::uint32_t>(kSpeedItems[*index].data));
}

int command_reset(const Invocation& call, Output& out) {
    const Remembered remembered = Remembered::load(call.port);
    Printer printer(call);
    if (!printer.send(link::total_reset_command(remembered.number("max_115200").value_or(1) != 0),
                      "the total reset"))
        return exit_printer;
    return follow_and_query(call, out, printer, link::speed_after_total_reset);
}

struct NamedLogoMode {
    std::string_view name;
    link::LogoPrintMode mode;
};
constexpr std::array<NamedLogoMode, 4> logo_modes{{
    {"normal", link::LogoPrintMode::normal},
    {"wide", link::LogoPrintMode::double_width},
    {"tall", link::LogoPrintMode::double_height},
    {"double", link::LogoPrintMode::doubled},
}};

std::optional<link::LogoPrintMode> logo_mode(const std::string& name) {
    for (const NamedLogoMode& m : logo_modes) {
        if (m.name == name)
            return m.mode;
    }
    return std::nullopt;
}

// ---- files ------------------------------------------------------------------

std::optional<LogoChoices>
parse_logo_choices(bool stretch, const std::optional<std::string>& centre, std::string& error) {
    LogoChoices choices;
    choices.stretch = stretch;
    if (centre) {
        for (const char c : *centre) {
            if (c == 'h')
                choices.centre_horizontal = true;
            else if (c == 'v')
                choices.centre_vertical = true;
            else if (c != ',') {
                error = "center '" + *centre + "': h, v or h,v";
                return std::nullopt;
            }
        }
    }
    return choices;
}

std::optional<Logo> make_logo(const std::string& path, const LogoChoices& choices) {
    std::string error;
    std::optional<Logo> logo = load_logo(path, choices, error);
    if (!logo)
        fail(exit_file, path, error);
    return logo;
}

std::optional<Bytes> logo_download_sequence(const Logo& logo) {
    std::array<std::string, 1 + IDS_LOGO_MODE_COUNT> texts;
    texts[0] = program_text(IDS_LOGO_CAPTION);
    for (int mode = 0; mode < IDS_LOGO_MODE_COUNT; ++mode)
        texts[1 + static_cast<std::size_t>(mode)] = program_text(IDS_LOGO_MODE_FIRST + mode);
    const logo::LogoCaptionTexts captions{texts[0], {texts[1], texts[2], texts[3], texts[4]}};
    return logo::build_logo_download(logo.view(), captions);
}

std::optional<font::FontTable> load_font(const std::string& path) {
    constexpr const char* not_a_font = "not a font file (font A has 10976 bytes, font B 3808)";
    // Font A is the larger file; anything bigger is refused before a byte is read.
    std::string error;
    const std::optional<Bytes> bytes =
        read_whole_file(path, font::font_geometry(font::FontKind::a).table_size, error);
    if (!bytes) {
        fail(exit_file, path, error.starts_with("too large") ? not_a_font : error.c_str());
        return std::nullopt;
    }
    std::optional<font::FontTable> table = font::FontTable::from_file_bytes(*bytes);
    if (!table)
        fail(exit_file, path, not_a_font);
    return table;
}

std::string digest(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const std::uint8_t b : bytes)
        hash = (hash ^ b) * 0x100000001b3u;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// ---- logo and font commands -----------------------------------------------------

int command_logo(const Invocation& call, Output& out) {
    if (call.command == "logo delete")
        return send_and_say(call, out, link::delete_logo_command, "deleting the logo");
    if (call.command == "logo print") {
        const auto mode = logo_mode(call.operands[0]);
        if (!mode)
            return fail(exit_usage, "logo print",
                        "'" + call.operands[0] + "': normal, wide, tall or double");
        return send_and_say(call, out, link::logo_print_command(*mode), "printing the logo");
    }
    std::string error;
    const auto choices = parse_logo_choices(call.has("stretch"), call.value("center"), error);
    if (!choices)
        return fail(exit_usage, call.command, error);
    std::optional<link::LogoPrintMode> print_mode;
    if (const auto print = call.value("print"); print && !(print_mode = logo_mode(*print)))
        return fail(exit_usage, call.command,
                    "print '" + *print + "': normal, wide, tall or double");
    const auto logo = make_logo(call.operands[0], *choices);
    if (!logo)
        return exit_file;
    const auto sequence = logo_download_sequence(*logo);
    if (!sequence)
        return fail(exit_file, call.operands[0], "Not a valid image!");
    out.member("width", std::to_string(logo->width));
    out.member("height", std::to_string(logo->height));
    if (call.command == "logo convert") {
        const auto raster = logo::build_logo_raster(logo->view());
        if (!raster || !write_logo_png(call.operands[1], logo->width, logo->height, *raster))
            return fail(exit_file, call.operands[1], "cannot be written");
        out.line(call.operands[1] + ": " + std::to_string(logo->width) + " x " +
                 std::to_string(logo->height) + " dots");
        out.finish();
        return exit_done;
    }
    Printer printer(call);
    if (!printer.send(*sequence, "downloading the logo"))
        return exit_printer;
    Remembered remembered = Remembered::load(call.port);
    remembered.set("logo", digest(*sequence));
    remembered.save();
    out.line("logo: " + std::to_string(logo->width) + " x " + std::to_string(logo->height) +
             " dots downloaded");
    if (print_mode && !printer.send(link::logo_print_command(*print_mode), "printing the logo"))
        return exit_printer;
    return exit_done;
}

int command_font(const Invocation& call, Output& out) {
    if (call.command == "font reset") {
        const std::string& which = call.operands[0];
        if (which != "a" && which != "b")
            return fail(exit_usage, "font reset", "'" + which + "': a or b");
        const auto kind = which == "a" ? font::FontKind::a : font::FontKind::b;
        return send_and_say(call, out, font::font_reset_command(kind), "resetting font " + which);
    }
    const auto table = load_font(call.operands[0]);
    if (!table)
        return exit_file;
    const Bytes sequence = font::build_font_download(*table, {call.has("reset"), call.has("test")});
    const std::string name = table->kind() == font::FontKind::a ? "font a" : "font b";
    if (sequence.empty()) {
        out.line(name + ": no character defined, nothing to send");
        return exit_done;
    }
    Printer printer(call);
    if (!printer.send(sequence, "downloading " + name))
        return exit_printer;
    Remembered remembered = Remembered::load(call.port);
    remembered.set(table->kind() == font::FontKind::a ? "font_a" : "font_b", digest(sequence));
    remembered.save();
    out.line(name + ": " + std::to_string(sequence.size()) + " bytes downloaded");
    out.member("sent", json_string(name));
    return exit_done;
}

// ---- device tools -------------------------------------------------------------

std::string squeeze(std::string_view text) {
    std::string s;
    for (const char c : text.substr(0, text.find(" (")))
        if (std::isalnum(static_cast<unsigned char>(c)))
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int command_barcode(const Invocation& call, Output& out) {
    tools::BarcodeRequest request;
    const auto symbology = std::find_if(
        tools::symbology_table.begin(), tools::symbology_table.end(),
        [&](const tools::Symbology& s) { return squeeze(s.text) == squeeze(call.operands[0]); });
    if (symbology == tools::symbology_table.end())
        return fail(exit_usage, "barcode",
                    "'" + call.operands[0] +
                        "': one of upc-a, upc-e, ean13, ean8, code39, itf, codabar, code93, "
                        "code128, code128-a, code128-b, code128-c");
    request.symbology = static_cast<std::size_t>(symbology - tools::symbology_table.begin());
    request.data = call.operands[1];
    if (request.data.empty() || request.data.size() > tools::max_barcode_data)
        return fail(exit_usage, "barcode", "the data must have 1 to 128 characters");
    if (const auto w = call.value("width")) {
        const auto m = parse_number(*w, tools::magnification_range.minimum,
                                    tools::magnification_range.maximum);
        if (!m)
            return fail(exit_usage, "barcode", "width '" + *w + "': 2 to 4 dots");
        request.magnification = *m;
    }
    if (const auto h = call.value("height")) {
        const auto d =
            parse_number(*h, tools::bar_height_range.minimum, tools::bar_height_range.maximum);
        if (!d)
            return fail(exit_usage, "barcode", "height '" + *h + "': 1 to 255 dots");
        request.height = *d;
    }
    if (const auto t = call.value("text")) {
        constexpr std::array<std::string_view, 4> positions{"none", "above", "below", "both"};
        const auto it = std::find(positions.begin(), positions.end(), *t);
        if (it == positions.end())
            return fail(exit_usage, "barcode", "text '" + *t + "': none, above, below or both");
        request.text_position = static_cast<tools::TextPosition>(it - positions.begin());
    }
    if (const auto f = call.value("font")) {
        if (*f != "a" && *f != "b")
            return fail(exit_usage, "barcode", "font '" + *f + "': a or b");
        request.text_font = *f == "a" ? tools::TextFont::font_a : tools::TextFont::font_b;
    }
    return send_and_say(call, out, tools::build_barcode_sequence(request), "printing the barcode");
}

int command_magstripe(const Invocation& call, Output& out) {
    tools::TrackSelection selection{true, true, true};
    if (const auto tracks = call.value("tracks")) {
        selection = {};
        for (const char c : *tracks) {
            if (c >= '1' && c <= '3')
                selection[static_cast<std::size_t>(c - '1')] = true;
            else if (c != ',')
                return fail(exit_usage, "magstripe", "tracks '" + *tracks + "': from 1,2,3");
        }
        if (!tools::can_read_tracks(selection))
            return fail(exit_usage, "magstripe", "no track named");
    }
    Printer printer(call);
    const auto line = printer.open("reading a card");
    if (!line)
        return exit_printer;
    out.line("swipe a card");
    std::fflush(stdout);
    const tools::TrackReadResult result = tools::read_tracks(*line, selection);
    if (result.message != tools::ReadMessage::none)
        return fail(exit_printer, call.port, tools::message_text(result.message));
    std::string members;
    for (std::size_t k = 0; k < tools::track_count; ++k) {
        if (!selection[k])
            continue;
        out.line("track " + std::to_string(k + 1) + ": " + to_utf8(result.tracks[k]));
        members += (members.empty() ? "" : ", ") + json_string(std::to_string(k + 1)) + ": " +
                   json_string(result.tracks[k]);
    }
    out.member("tracks", "{" + members + "}");
    return exit_done;
}

int command_bluetooth(const Invocation& call, Output& out) {
    std::string digits;
    for (const char c : call.operands[0]) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        else if (c != ':' && c != '-')
            digits = "bad";
    }
    if (digits.size() != 2 * tools::address_field_count)
        return fail(exit_usage, "bluetooth",
                    "'" + call.operands[0] + "': six hexadecimal bytes, as 00:11:22:AA:BB:CC");
    tools::AddressFields fields;
    for (std::size_t i = 0; i < tools::address_field_count; ++i)
        fields.digits[i] = digits.substr(2 * i, 2);
    fields.shown_as_barcode = call.has("flag");
    const tools::AddressRecord record = tools::confirm_address_record("", fields);
    return send_and_say(call, out, tools::build_address_command(record),
                        "storing the Bluetooth address");
}

int command_ports(Output& out) {
    std::string list;
    for (const std::string& port : list_serial_ports()) {
        out.line(port);
        list += (list.empty() ? "" : ", ") + json_string(port);
    }
    out.member("ports", "[" + list + "]");
    return exit_done;
}

// ---- apply ------------------------------------------------------------------------

struct ApplyItem {
    std::string name;
    std::string status =
        "unchanged"; // unchanged, changed, failed, not sent; with --dry-run "would change"
};

int command_apply(const Invocation& call, Output& out) {
    const std::string& path = call.operands[0];
    std::string error;
    const auto text = read_whole_file(path, 1 << 20, error);
    if (!text)
        return fail(exit_file, path, error);
    const ProfileResult parsed =
        parse_profile(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
    if (!parsed.profile)
        return fail(exit_file, path, parsed.error);
    const Values& values = parsed.profile->values;
    const auto value = [&](const char* key) -> std::optional<std::string> {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second.back());
    };
    // Files named in the profile lie beside it.
    const auto beside = [&](const std::string& name) {
        const std::filesystem::path p(name);
        return p.is_absolute() ? name : (std::filesystem::path(path).parent_path() / p).string();
    };

    const auto changes = parse_parameter_changes(values, error);
    if (!changes)
        return fail(exit_file, path, error);
    std::optional<std::size_t> wanted_speed;
    if (const auto s = value("speed"); s && !(wanted_speed = speed_index(*s)))
        return fail(exit_file, path, "speed '" + *s + "': one of 1200 ... 115200");
    std::optional<Bytes> logo_sequence;
    if (const auto logo_file = value("logo")) {
        const auto stretch = parse_on_off(value("logo-stretch").value_or("no"));
        const auto choices =
            stretch ? parse_logo_choices(*stretch, value("logo-center"), error) : std::nullopt;
        if (!choices)
            return fail(exit_file, path, stretch ? error : "logo-stretch: yes or no");
        const auto logo = make_logo(beside(*logo_file), *choices);
        if (!logo || !(logo_sequence = logo_download_sequence(*logo)))
            return exit_file;
    }
    std::array<std::optional<Bytes>, 2> font_sequences;
    for (std::size_t f = 0; f < 2; ++f) {
        const auto font_file = value(f == 0 ? "font-a" : "font-b");
        if (!font_file)
            continue;
        const auto table = load_font(beside(*font_file));
        if (!table)
            return exit_file;
        if (table->kind() != (f == 0 ? font::FontKind::a : font::FontKind::b))
            return fail(exit_file, beside(*font_file),
                        f == 0 ? "a font B file named as font-a" : "a font A file named as font-b");
        font_sequences[f] = font::build_font_download(*table, {});
        if (font_sequences[f]->empty())
            return fail(exit_file, beside(*font_file), "defines no character");
    }

    Printer printer(call);
    const bool other_speed =
        wanted_speed && static_cast<std::uint32_t>(kSpeedItems[*wanted_speed].data) != call.speed;
    auto before = printer.query("reading the printer", other_speed);
    if (!before && other_speed) {
        // A printer provisioned before already talks at the profile's speed.
        printer.follow_speed(static_cast<std::uint32_t>(kSpeedItems[*wanted_speed].data));
        before = printer.query("reading the printer at the profile's speed");
    }
    if (!before)
        return exit_printer;
    Remembered remembered = Remembered::load(call.port);
    const link::PrinterInfo info = link::decode_printer_info(before->block);
    const link::ParameterSettings old = current_parameters(info, remembered);
    link::ParameterSettings wanted = with_changes(old, *changes);
    // As in the dialog, black-mark mode stays off on a printer without the sensor.
    const bool no_black_mark_sensor = wanted.black_mark_mode && !info.black_marks;
    if (no_black_mark_sensor) {
        wanted.black_mark_mode = false;
        fail(exit_printer, call.port, "the printer has no black-mark sensor");
    }

    // Every named item, and whether it differs from what the printer has.
    std::vector<ApplyItem> items;
    std::vector<std::size_t> parameter_rows;
    const auto old_items = parameter_items(old);
    const auto wanted_items = parameter_items(wanted, *changes);
    bool parameters_differ = false;
    for (std::size_t i = 0; i < wanted_items.size(); ++i) {
        const ParameterItem& item = wanted_items[i];
        if (!item.named)
            continue;
        const bool unknown =
            !item.remembered_key.empty() && !remembered.text(item.remembered_key).has_value();
        const bool differs = unknown || old_items[i].value != item.value;
        parameters_differ = parameters_differ || differs;
        parameter_rows.push_back(items.size());
        items.push_back({item.name, no_black_mark_sensor && item.name == "black-mark" ? "failed"
                                    : differs                                         ? "differs"
                                              : "unchanged"});
    }
    const auto differs_from = [&](const char* key, const std::optional<Bytes>& sequence) {
        return sequence && remembered.text(key) != digest(*sequence);
    };
    struct Download {
        const char* item;
        const char* key;
        const std::optional<Bytes>* sequence;
    };
    const std::array<Download, 3> downloads{{
        {"logo", "logo", &logo_sequence},
        {"font a", "font_a", &font_sequences[0]},
        {"font b", "font_b", &font_sequences[1]},
    }};
    for (const Download& d : downloads) {
        if (*d.sequence)
            items.push_back({d.item, differs_from(d.key, *d.sequence) ? "differs" : "unchanged"});
    }
    const bool speed_differs =
        wanted_speed &&
        static_cast<std::uint32_t>(kSpeedItems[*wanted_speed].data) != printer.speed();
    if (wanted_speed)
        items.push_back({"speed", speed_differs ? "differs" : "unchanged"});

    const auto report = [&](int status) {
        std::string list;
        for (ApplyItem& item : items) {
            if (item.status == "differs")
                item.status = call.has("dry-run") ? "would change" : "not sent";
            out.line(item.name + ": " + item.status);
            list += std::string(list.empty() ? "" : ", ") + "{\"item\": " + json_string(item.name) +
                    ", \"status\": " + json_string(item.status) + "}";
        }
        out.member("items", "[" + list + "]");
        return status;
    };
    const auto mark = [&](const std::string& name, const char* status) {
        for (ApplyItem& item : items) {
            if (item.name == name)
                item.status = status;
        }
    };
    if (call.has("dry-run"))
        return report(exit_done);

    if (parameters_differ) {
        if (!printer.send(link::build_parameter_sequence(wanted), "writing the parameters")) {
            for (const std::size_t row : parameter_rows)
                if (items[row].status == "differs")
                    items[row].status = "failed";
            return report(exit_printer);
        }
        remember_parameters(remembered, wanted);
        remembered.save();
        for (const std::size_t row : parameter_rows)
            if (items[row].status == "differs")
                items[row].status = "changed";
    }
    for (const Download& d : downloads) {
        if (!*d.sequence || !differs_from(d.key, *d.sequence))
            continue;
        if (!printer.send(**d.sequence, std::string("downloading the ") + d.item)) {
            mark(d.item, "failed");
            return report(exit_printer);
        }
        remembered.set(d.key, digest(**d.sequence));
        remembered.save();
        mark(d.item, "changed");
    }
    if (speed_differs) {
        if (!printer.send(link::speed_change_command(*wanted_speed), "changing the speed")) {
            mark("speed", "failed");
            return report(exit_printer);
        }
        printer.follow_speed(static_cast<std::uint32_t>(kSpeedItems[*wanted_speed].data));
        mark("speed", "changed");
    }
    // Read back what the printer reports, to see that it took the parameters.
    if (parameters_differ || speed_differs) {
        const auto after = printer.query("reading the printer back");
        if (!after)
            return report(exit_printer);
        const auto now = parameter_items(
            current_parameters(link::decode_printer_info(after->block), remembered));
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i].remembered_key.empty() && now[i].value != wanted_items[i].value)
                mark(now[i].name, "failed");
        }
    }
    const bool failed = std::any_of(items.begin(), items.end(),
                                    [](const ApplyItem& i) { return i.status == "failed"; });
    return report(failed ? exit_printer : exit_done);
}

} // namespace

int run_command(const Invocation& call) {
    Output out(call.json, call.quiet);
    int status = exit_usage;
    const std::string& c = call.command;
    if (c == "ports")
        status = command_ports(out);
    else if (c == "info")
        status = command_info(call, out);
    else if (c == "set")
        status = command_set(call, out);
    else if (c == "speed")
        status = command_speed(call, out);
    else if (c == "reset")
        status = command_reset(call, out);
    else if (c == "test") {
        if (call.operands[0] != "short" && call.operands[0] != "long")
            return fail(exit_usage, "test", "'" + call.operands[0] + "': short or long");
        status = call.operands[0] == "short"
                     ? send_and_say(call, out, link::short_test_command, "the short test")
                     : send_and_say(call, out, link::long_test_command, "the long test");
    } else if (c == "beep")
        status = send_and_say(call, out, link::beep_command, "the beep");
    else if (c == "blackmark")
        status = send_and_say(call, out, link::find_black_mark_command, "finding the black mark");
    else if (c == "off")
        status = send_and_say(call, out, link::turn_off_command, "turning the printer off");
    else if (c.starts_with("logo ")) {
        status = command_logo(call, out);
        if (c == "logo convert")
            return status;
    } else if (c.starts_with("font "))
        status = command_font(call, out);
    else if (c == "barcode")
        status = command_barcode(call, out);
    else if (c == "magstripe")
        status = command_magstripe(call, out);
    else if (c == "bluetooth")
        status = command_bluetooth(call, out);
    else if (c == "apply")
        status = command_apply(call, out);
    out.finish();
    return status;
}

} // namespace tq350::cli
