#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/SharedOptions.h"
#include "cookies/Clock.h"
#include "cookies/CookieStore.h"

namespace tessel {

// The character set the store the options name is used with: the one given, else UTF-8 for
// Firefox, which carries nothing else, and cp932 for the others.
CookieCharset ChosenCharset(const SharedOptions& options);

// The cookie store the options name, or null with error set when it cannot be opened. lockNotice,
// when given, is called when a write starts waiting for another program's lock on the store.
std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             CookieFailure& error,
                                             std::function<void()> lockNotice = {});

// The store as the undo journal names it: its kind and the absolute path of its file, the same
// from either program whatever character set is used ("Firefox /p/cookies.sqlite").
std::string IdentifyCookieStore(const SharedOptions& options, const CookieStore& store);

// A short description of the store the options name and its character set, for the window's
// status bar ("cookies.txt: PATH（Shift_JIS）").
std::string DescribeCookieStore(const SharedOptions& options);

// The store and its character set in words of no language, for tessel's diagnostics: the kind,
// the file the cookies are in, the character set ("Firefox /p/cookies.sqlite (UTF-8)").
std::string NameCookieStore(const SharedOptions& options, const CookieStore& store);

}  // namespace tessel
