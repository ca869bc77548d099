#include "cli/BoardWriter.h"

#include <algorithm>
#include <optional>

#include "board/CookieLayout.h"
#include "board/CookieText.h"

namespace tessel::cli {
namespace {

// Whether the store holds a cookie under the board's address, readable or not.
bool HasCookie(CookieStore& store, const CBBSData& board) {
    const std::optional<std::string> text = store.InternetGetCookie(board.URL(), board.URL());
    return text && FindCookieValue(*text, board.URL()).has_value();
}

bool WriteBoard(CookieStore& store, CBBSData& board, const PreferenceChanges& changes) {
    if (!board.GetCookie()) {
        // A cookie that is there but cannot be read is left alone: writing over it would lose
        // every field not given.
        if (HasCookie(store, board))
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
        const bool written = WriteBoard(store, *boards.Item(update.position), update.changes);
        outcomes.push_back({update.position, written});
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
        for (BoardOutcome& outcome : outcomes)
            outcome.stored = false;
    }
    return outcomes;
}

}  // namespace tessel::cli
