#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/AppPlaces.h"
#include "app/BoardList.h"
#include "app/BoardWriteBatch.h"
#include "app/UndoJournal.h"
#include "cookies/CookieStore.h"

namespace tessel::cli {

struct PasswordAnswer {
    std::optional<std::string> password;
    std::string error;  // set when there is no password
};

// What a command works on and talks through; the platform fills it in.
struct CommandContext {
    BoardList& boards;
    CookieStore& store;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    Progress& progress;
    // Asks for the password at the terminal without echoing it.
    std::function<PasswordAnswer()> promptPassword;
    // The store in words of no language (its kind, file and character set), told on every
    // command that reads or writes cookies, so that the user knows whose cookies they were.
    std::string storeName;
    // Where each write keeps what undoes it; null where nothing can be undone.
    UndoJournal* journal;
};

// One cookie store found on the computer, as the platform describes it.
struct StoreListing {
    std::string store;          // the --cookie-store text that names it
    std::string kind;           // "jar", "firefox", "chrome", "chromium", "brave", ...
    std::string browser;        // the browser as its maker names it; empty for the jar
    std::string name;           // the profile's name; empty for the jar
    std::string path;           // the jar or the database
    bool isDefault = false;     // the browser's default profile
    std::int64_t lastUsed = 0;  // when the browser last used the profile (seconds since 1970)
    bool inUse = false;         // the store the options name
    std::string chosenBy;       // for the one in use: "--cookie-store", "remembered", "default
                                // browser", "most recently used" or "no browser found"
    bool writable = false;
    std::string reason;  // why not writable
};

// What a command that needs no board list and no store is given: the platform's places and the
// stores it finds, each absent where the platform has none.
struct PlatformContext {
    AppPlaces* places;
    std::optional<std::string> boardList;  // --board-list
    std::function<std::vector<StoreListing>()> findStores;
    std::ostream& out;
    std::ostream& err;
};

}  // namespace tessel::cli
