#include "cli/commands/BoardWriter.h"

#include <algorithm>
#include <optional>

#include "board/CookieLayout.h"

namespace tessel::cli {
namespace {

bool WriteBoard(CBBSData& board, const PreferenceChanges& changes) {
    if (!board.GetCookie()) {
        // A cookie that is there but cannot be read is left alone: writing over it would lose
        // every field not given.
        if (board.LastFailure().kind != CookieFailureKind::kNoCookie)
            return false;
        // A board without a cookie starts from what the board itself assumes, so that the
        // fields not given are written as the reader would find them, not as zeros.
        ApplyLayoutDefaults(board);
    }
    changes.ApplyTo(board);
    return board.SetCookie();
}

}  // namespace

std::vector<BoardOutcome> WriteBoards(BoardList& boards, CookieStore& store,
                                      const std::vector<BoardUpdate>& updates, Progress& progress,
                                      WriteMode mode) {
    std::vector<BoardOutcome> outcomes;
    outcomes.reserve(updates.size());
    progress.Start(updates.size());
    store.BeginWrites();
    for (const BoardUpdate& update : updates) {
        CBBSData& board = *boards.Item(update.position);
        BoardOutcome outcome{update.position, WriteBoard(board, update.changes), true, false, {}};
        if (!outcome.written) {
            outcome.skipped = board.LastFailure().kind == CookieFailureKind::kNoLayout;
            outcome.reason = board.LastFailure().reason;
        }
        outcomes.push_back(std::move(outcome));
        progress.Advance(outcomes.size());
    }
    const bool anyFailed =
        std::any_of(outcomes.begin(), outcomes.end(),
                    [](const BoardOutcome& outcome) { return !outcome.written; });
    bool stored = false;
    if (mode == WriteMode::kAllOrNothing && anyFailed) {
        store.CancelWrites();
    } else {
        stored = store.CommitWrites();
    }
    progress.Finish();
    if (!stored) {
        for (BoardOutcome& outcome : outcomes) {
            outcome.stored = false;
            if (outcome.written)
                outcome.reason = store.LastFailure().reason;
        }
    }
    return outcomes;
}

}  // namespace tessel::cli
