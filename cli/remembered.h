// What tq350 last wrote to the printer on a port and the printer cannot
// report: density, power-off time, black-mark mode, IrDA speed and switch 8,
// and digests of the logo and fonts sent. The dialog program keeps the same
// in its registry key; a profile applied twice needs it to send nothing.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tq350::cli {

class Remembered {
  public:
    // Read from the state folder: TQ350_STATE_DIR, else $XDG_STATE_HOME/tq350,
    // else ~/.local/state/tq350 (%LOCALAPPDATA%\tq350 on Windows).
    static Remembered load(const std::string& port);
    // False when the file could not be written.
    bool save() const;

    std::optional<int> number(const std::string& key) const;
    std::optional<std::string> text(const std::string& key) const;
    void set(const std::string& key, std::string value) { values_[key] = std::move(value); }

  private:
    std::string path_;
    std::map<std::string, std::string> values_;
};

} // namespace tq350::cli
