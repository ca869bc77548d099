#pragma once

#include <cstddef>
#include <vector>

#include "app/BoardList.h"
#include "cli/commands/Preferences.h"
#include "cli/commands/Progress.h"
#include "cookies/CookieStore.h"

namespace tessel::cli {

struct BoardUpdate {
    std::size_t position;
    PreferenceChanges changes;
};

struct BoardOutcome {
    std::size_t position;
    bool written;          // the store took the board's cookie
    bool stored = true;    // and the group it was part of was stored
    bool skipped = false;  // the board keeps its settings in itself: there is no cookie to write
    std::string reason;    // why the board was not written (or stored)
    bool Succeeded() const { return written && stored; }
};

enum class WriteMode {
    kEachBoard,     // store every board that could be written
    kAllOrNothing,  // store nothing unless every board could be written
};

// Writes the updates the way the window's update command does: each board's preferences are
// first read from its cookie, then the changes are set and the cookie written. A board without a
// cookie starts from its kind's defaults; a board whose cookie is there but unreadable is not
// written (it fails), and a board kind without a cookie is skipped. All writes form one batch of
// the store; when the batch is not stored, no board counts as written. Outcomes come in the order
// of the updates, each failure with its reason.
std::vector<BoardOutcome> WriteBoards(BoardList& boards, CookieStore& store,
                                      const std::vector<BoardUpdate>& updates, Progress& progress,
                                      WriteMode mode = WriteMode::kEachBoard);

}  // namespace tessel::cli
