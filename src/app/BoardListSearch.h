#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/AppPlaces.h"
#include "app/ExecutableInfo.h"

namespace tessel {

// Where the board list is looked for, in order: beside the executable (named after it, for a
// portable copy), the user's own under $XDG_CONFIG_HOME, then each of $XDG_CONFIG_DIRS. Relative
// directories in the variables are passed over, as the XDG base directory rules ask.
std::vector<std::string> BoardListCandidates(ExecutableInfo& executable, AppPlaces& places);

// The user's own board list (where a new one is created); empty when neither XDG_CONFIG_HOME nor
// HOME names an absolute directory.
std::string UserBoardList(AppPlaces& places);

struct BoardListSearch {
    std::vector<std::string> looked;  // every place looked, in order
    std::optional<std::string> found;
};

// The first candidate that exists.
BoardListSearch FindBoardList(ExecutableInfo& executable, AppPlaces& places);

// Makes a new board list at target (the user's own when not given) from the installed sample.
// An existing file is never replaced.
struct CreatedBoardList {
    enum class Outcome { kCreated, kAlreadyThere, kNoSample, kNoPlace, kCopyFailed };
    Outcome outcome = Outcome::kCreated;
    std::string path;       // the list made, or where it would have been
    CookieFailure failure;  // why the copy failed (kCopyFailed)
};
CreatedBoardList CreateBoardList(AppPlaces& places,
                                 const std::optional<std::string>& target = std::nullopt);

}  // namespace tessel
