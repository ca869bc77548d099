#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cookies/CookieCharset.h"
#include "cookies/CookieStoreArgument.h"

namespace tessel {

// The options TesselCustom's programs share (the window and tessel, on every platform), wherever
// they stand on the command line, each as "--option value" or "--option=value":
//   --board-list FILE        the board list instead of the one the start-up search finds
//   --cookie-store WHERE     where cookies go: jar[:PATH], firefox[:PROFILE_DIR],
//                            chrome|chromium|brave|edge|vivaldi|opera[:USER_DATA_DIR] or
//                            wininet, as the platform has them; when absent, the platform
//                            chooses
//   --cookie-charset NAME    "cp932" or "utf-8"; by default the store's own (UTF-8 for Firefox,
//                            which carries nothing else, cp932 for the others)
struct SharedOptions {
    std::optional<std::string> boardList;
    std::optional<CookieStoreLocation> cookieStore;  // none: the platform's choice
    std::optional<CookieCharset> charset;            // none: the store's own default
};

// Which of them a program takes: one that chooses no cookie store takes only the board list.
enum SharedOption : unsigned {
    kBoardListOption = 1u << 0,
    kCookieStoreOption = 1u << 1,
    kCookieCharsetOption = 1u << 2,
    kEverySharedOption = kBoardListOption | kCookieStoreOption | kCookieCharsetOption,
};

// Whether args[index] is one of the accepted options. When it is, takes it and its value into
// options and leaves index on the last argument it used; error then says what is wrong with the
// value, if anything (and nothing is taken).
bool TakeSharedOption(const std::vector<std::string>& args, std::size_t& index, unsigned accepted,
                      SharedOptions& options, std::string& error);

}  // namespace tessel
