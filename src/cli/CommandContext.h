#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "app/BoardList.h"
#include "app/BoardWriteBatch.h"
#include "board/CookieStore.h"

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
};

}  // namespace tessel::cli
