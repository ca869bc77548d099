#pragma once

#include <memory>
#include <string>

#include "cookies/BrowserCookieStore.h"
#include "cookies/Clock.h"
#include "cookies/CookieCharset.h"
#include "posix/browsers/BrowserProfiles.h"

namespace tessel {

// The Firefox or Chromium store of location with this computer's lock, keyring and character set.
// Null with error set when the profile or its database is not there.
std::unique_ptr<BrowserCookieStore> OpenBrowserStore(const CookieStoreLocation& location,
                                                     Clock& clock, CookieCharset charset,
                                                     const Environment& environment,
                                                     std::string& error);

// What the reader should know of how store writes, beyond success (one line of Japanese): that
// a Chromium profile's values go in the form every browser reads, since no keyring key proved
// itself on it. Empty for other stores, and before the store has read the profile.
std::string BrowserStoreNote(const CookieStore& store);

}  // namespace tessel
