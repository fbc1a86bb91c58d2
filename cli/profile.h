// Fleet profiles: `key = value` lines naming what a printer should be.
//
//   switch.3 = on            density = 120          auto-off = 30
//   black-mark = off         irda-speed = 57600     irda-protocol = raw
//   speed = 19200            logo = shop.png        logo-stretch = yes
//   logo-center = h,v        font-a = euro.fnt      font-b = small.fnt
//
// '#' starts a comment line; a value in double quotes keeps its blanks.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq350::cli {

struct Profile {
    // Keyed like the options of `set` ("switch" holds "3=on"), plus speed,
    // logo, logo-stretch, logo-center, font-a and font-b.
    std::map<std::string, std::vector<std::string>> values;
};

struct ProfileResult {
    std::optional<Profile> profile;
    std::string error; // "line 4: unknown key 'colour'"
};

ProfileResult parse_profile(std::string_view text);

} // namespace tq350::cli
