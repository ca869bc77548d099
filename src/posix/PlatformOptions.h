#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/SharedOptions.h"
#include "cookies/Clock.h"
#include "cookies/CookieStore.h"

namespace tessel {

// The cookie store the options name, or null with error set when it cannot be opened. lockNotice,
// when given, is called when a write starts waiting for another program's lock on the store.
std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             std::string& error,
                                             std::function<void()> lockNotice = {});

// A short description of the store the options name, for the user ("cookies.txt at PATH").
std::string DescribeCookieStore(const SharedOptions& options);

}  // namespace tessel
