#pragma once

#include <optional>
#include <string>

namespace tessel {

// The password Chromium keeps in the Secret Service ("Chromium Safe Storage"), or empty when no
// session bus or keyring answers or it holds none. Never starts a bus of its own.
std::optional<std::string> ChromiumKeyringPassword();

}  // namespace tessel
