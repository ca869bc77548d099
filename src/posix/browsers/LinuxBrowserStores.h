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
                                                     CookieFailure& error);

// Whether store, a Chromium profile holding values under a keyring password, got values in the
// form every browser of the family reads, since no keyring password proved itself on it: the
// reader should be told.
bool WroteWithoutKeyring(const CookieStore& store);

}  // namespace tessel
