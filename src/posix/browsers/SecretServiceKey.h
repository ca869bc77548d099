#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieStoreArgument.h"

namespace tessel {

// The password a browser of the Chromium family keeps in the Secret Service under its
// application name ("chrome", "chromium", "brave"), or empty when no session bus or keyring
// answers or it holds none. Never starts a bus of its own.
std::optional<std::string> KeyringPassword(const std::string& application);

// The application names to look a browser's password up under: its own first (where its makers'
// builds disagree, each name seen), then the other browsers', since a profile may have been made
// by another browser of the family.
std::vector<std::string> KeyringApplications(CookieStoreLocation::Kind kind);

}  // namespace tessel
