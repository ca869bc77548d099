#include "cli/BoardWriter.h"

#include "board/CookieLayout.h"

namespace tessel::cli {
namespace {

bool WriteBoard(CBBSData& board, const PreferenceChanges& changes) {
    // A board without a readable cookie starts from what the board itself assumes, so that the
    // fields not given are written as the reader would have found them, not as zeros.
    if (!board.GetCookie())
        ApplyLayoutDefaults(board);
    changes.ApplyTo(board);
    return board.SetCookie();
}

}  // namespace

std::vector<BoardOutcome> WriteBoards(BoardList& boards, CookieStore& store,
                                      const std::vector<BoardUpdate>& updates, Progress& progress) {
    std::vector<BoardOutcome> outcomes;
    outcomes.reserve(updates.size());
    progress.Start(updates.size());
    store.BeginWrites();
    for (const BoardUpdate& update : updates) {
        const bool written = WriteBoard(*boards.Item(update.position), update.changes);
        outcomes.push_back({update.position, written});
        progress.Advance(outcomes.size());
    }
    const bool committed = store.CommitWrites();
    progress.Finish();
    if (!committed) {
        for (BoardOutcome& outcome : outcomes)
            outcome.written = false;
    }
    return outcomes;
}

}  // namespace tessel::cli
