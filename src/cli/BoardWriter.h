#pragma once

#include <cstddef>
#include <vector>

#include "app/BoardList.h"
#include "board/CookieStore.h"
#include "cli/Preferences.h"
#include "cli/Progress.h"

namespace tessel::cli {

struct BoardUpdate {
    std::size_t position;
    PreferenceChanges changes;
};

struct BoardOutcome {
    std::size_t position;
    bool written;
};

// Writes the updates the way the window's update command does: each board's preferences are
// first read from its cookie (a board whose read fails keeps the values it holds), then the
// changes are set and the cookie written. All writes form one batch of the store; when the store
// cannot commit the batch, none of them was stored and every board counts as failed. Outcomes come
// in the order of the updates.
std::vector<BoardOutcome> WriteBoards(BoardList& boards, CookieStore& store,
                                      const std::vector<BoardUpdate>& updates, Progress& progress);

}  // namespace tessel::cli
