#pragma once

#include <optional>
#include <string>

#include "cookies/CookieCharset.h"
#include "cookies/CookieStoreArgument.h"
#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// The cookie store the reader last chose in the window, kept between runs as one line in the
// --cookie-store form in $XDG_CONFIG_HOME/<product>/cookie-store (~/.config when that is unset),
// and the character set chosen for it, when one was, in the --cookie-charset form on a second.
std::string RememberedCookieStorePath(const Environment& environment);

// Empty when nothing was chosen yet or the file does not name a store.
std::optional<CookieStoreLocation> LoadRememberedCookieStore(const Environment& environment);

// Empty when none was chosen with the store.
std::optional<CookieCharset> LoadRememberedCookieCharset(const Environment& environment);

// False when the file could not be written.
bool RememberCookieStore(const CookieStoreLocation& location, const Environment& environment,
                         std::optional<CookieCharset> charset = std::nullopt);

}  // namespace tessel
