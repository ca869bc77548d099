#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

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

}  // namespace tessel::cli
