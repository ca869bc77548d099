#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// A profile as Firefox's profiles.ini lists it.
struct FirefoxProfileEntry {
    std::string path;         // as written: relative to the folder of profiles.ini or absolute
    bool isRelative = false;  // IsRelative=1
    std::string name;
    bool isDefault = false;  // the one Firefox opens when started plainly
};

// The profiles of a profiles.ini, given its text and that of installs.ini beside it (empty when
// there is none). The default is the one an [Install...] section (of installs.ini, then of
// profiles.ini) names with Default=, which is the profile Firefox actually opens; "Default=1" on a
// profile only counts when no installation names one.
std::vector<FirefoxProfileEntry> ParseFirefoxProfiles(std::string_view profilesIni,
                                                      std::string_view installsIni);

}  // namespace tessel
