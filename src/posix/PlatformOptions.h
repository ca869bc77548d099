#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cookies/Clock.h"
#include "cookies/CookieStore.h"
#include "posix/CookieCharset.h"
#include "posix/CookieStoreArgument.h"

namespace tessel {

// The options every TesselCustom program takes on Linux, wherever they stand on its command line:
//   --board-list FILE        the board list instead of the one beside the executable
//   --cookie-store WHERE     where cookies go: jar[:PATH], firefox[:PROFILE_DIR] or
//                            chromium[:USER_DATA_DIR]; the default jar when absent
//   --cookie-charset NAME    "cp932" or "utf-8"; by default UTF-8 for Firefox, which carries
//                            nothing else, and cp932 for the others
// Each also takes the form --option=value.
struct PlatformOptions {
    std::optional<std::string> boardList;
    std::optional<CookieStoreLocation> cookieStore;  // none: the default jar
    std::optional<CookieCharset> charset;            // none: the store's own default
};

// The character set the store the options name is used with.
CookieCharset ChosenCharset(const PlatformOptions& options);

enum class OptionMatch { kNotOurs, kTaken, kError };

// Looks at args[index]; when it is one of the options above, takes it (and its value, advancing
// index past it) into options. On kError, error says what is wrong.
OptionMatch TakePlatformOption(int argc, char** argv, int& index, PlatformOptions& options,
                               std::string& error);

// The cookie store the options name, or null with error set when it cannot be opened. lockNotice,
// when given, is called when a write starts waiting for another program's lock on the store.
std::unique_ptr<CookieStore> OpenCookieStore(const PlatformOptions& options, Clock& clock,
                                             std::string& error,
                                             std::function<void()> lockNotice = {});

// The store as the undo journal names it: its kind and the absolute path of its file, the same
// from either program whatever character set is used ("Firefox /p/cookies.sqlite").
std::string IdentifyCookieStore(const PlatformOptions& options, const CookieStore& store);

// A short description of the store the options name and its character set, for the window's
// status bar ("cookies.txt: PATH（Shift_JIS）").
std::string DescribeCookieStore(const PlatformOptions& options);

// The store and its character set in words of no language, for tessel's diagnostics: the kind,
// the file the cookies are in, the character set ("Firefox /p/cookies.sqlite (UTF-8)").
std::string NameCookieStore(const PlatformOptions& options, const CookieStore& store);

}  // namespace tessel
