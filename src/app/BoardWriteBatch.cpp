#include "app/BoardWriteBatch.h"

#include <algorithm>

#include "app/Messages.h"
#include "board/CookieLayout.h"

namespace tessel {
namespace {

// A failure of the store as a whole rather than of one board's cookie: every later board would
// fail alike.
bool IsStoreFailure(const CookieFailure& failure) {
    return failure.kind == CookieFailureKind::kStoreUnusable ||
           failure.kind == CookieFailureKind::kStoreBusy;
}

BoardResult WriteBoard(CBBSData& board, const PreferenceChanges& changes, const BatchRules& rules) {
    if (!board.GetCookie()) {
        // A cookie that is there but cannot be read is left alone: writing over it would lose
        // every field not given.
        if (board.LastFailure().kind != CookieFailureKind::kNoCookie)
            return BoardResult::kFailed;
        if (rules.kindDefaultsWithoutCookie)
            ApplyLayoutDefaults(board);
    }
    changes.ApplyTo(board);
    if (board.SetCookie())
        return BoardResult::kWritten;
    const bool skip =
        rules.skipBoardsWithoutCookie && board.LastFailure().kind == CookieFailureKind::kNoLayout;
    return skip ? BoardResult::kSkipped : BoardResult::kFailed;
}

// Ends the store's batch: stores what it took, or drops it. Boards taken count as written only
// once stored.
void EndBatch(CookieStore& store, bool keep, BatchResult& result) {
    bool stored = false;
    if (keep) {
        stored = store.CommitWrites();
        if (!stored && !result.storeFailure)
            result.storeFailure = store.LastFailure();
    } else {
        store.CancelWrites();
    }
    if (stored)
        return;
    for (BoardOutcome& outcome : result.outcomes) {
        if (outcome.result == BoardResult::kWritten)
            outcome.result = BoardResult::kNotWritten;
    }
}

std::string NotWrittenSummary(std::size_t written, std::size_t notWritten) {
    return std::to_string(written) + " 個の掲示板に設定し、" + std::to_string(notWritten) +
           " 個は設定できなかった。";
}

}  // namespace

bool PreferenceChanges::Empty() const {
    return !postName && !mail && !homePage && !password && !viewCount && !downloadCount &&
           !viewOrder && !noReadView && !noReadPoint && !noReadPointR;
}

void PreferenceChanges::ApplyTo(CBBSData& board) const {
    if (postName)
        board.PostName(*postName);
    if (mail)
        board.Mail(*mail);
    if (homePage)
        board.HomePage(*homePage);
    if (password)
        board.Password(*password);
    if (viewCount)
        board.ViewCount(*viewCount);
    if (downloadCount)
        board.DownloadCount(*downloadCount);
    if (viewOrder)
        board.ViewOrder(*viewOrder);
    if (noReadView)
        board.NoReadView(*noReadView);
    if (noReadPoint)
        board.NoReadPoint(*noReadPoint);
    if (noReadPointR)
        board.NoReadPoint_R(*noReadPointR);
}

std::size_t BatchResult::Count(BoardResult result) const {
    return static_cast<std::size_t>(
        std::count_if(outcomes.begin(), outcomes.end(),
                      [result](const BoardOutcome& outcome) { return outcome.result == result; }));
}

BatchResult WriteBoards(BoardList& boards, CookieStore& store,
                        const std::vector<BoardUpdate>& updates, const BatchRules& rules,
                        Progress& progress) {
    BatchResult result;
    result.outcomes.reserve(updates.size());
    progress.Start(updates.size());
    store.BeginWrites();
    bool anyFailed = false;
    for (const BoardUpdate& update : updates) {
        if (result.storeFailure) {
            result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
            continue;
        }
        CBBSData& board = *boards.Item(update.position);
        const BoardResult written = WriteBoard(board, update.changes, rules);
        if (written != BoardResult::kWritten && IsStoreFailure(board.LastFailure())) {
            result.storeFailure = board.LastFailure();
            result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
        } else {
            const bool fine = written == BoardResult::kWritten;
            result.outcomes.push_back(
                {update.position, written, fine ? CookieFailure{} : board.LastFailure()});
            anyFailed = anyFailed || written == BoardResult::kFailed;
        }
        progress.Advance(result.outcomes.size());
    }
    EndBatch(store, !(rules.allOrNothing && (anyFailed || result.storeFailure)), result);
    progress.Finish();
    return result;
}

std::vector<BatchMessage> DescribeBatch(const BoardList& boards, const BatchResult& result) {
    using Kind = BatchMessage::Kind;
    std::vector<BatchMessage> lines;
    for (const BoardOutcome& outcome : result.outcomes) {
        const std::string& name = boards.Item(outcome.position)->Name();
        if (outcome.result == BoardResult::kWritten) {
            lines.push_back({Kind::kWritten, name, {}});
        } else if (outcome.result == BoardResult::kSkipped) {
            lines.push_back({Kind::kSkipped, name, outcome.failure.reason});
        } else if (outcome.result == BoardResult::kFailed) {
            lines.push_back(
                {Kind::kBoardFailed,
                 messages::WithReason(name + messages::kCookieWriteFailed, outcome.failure.reason),
                 {}});
        }
    }
    if (result.storeFailure) {
        lines.push_back({Kind::kStoreFailed,
                         messages::WithReason(messages::kStoreFailed, result.storeFailure.reason),
                         {}});
    }
    const std::size_t attempted = result.Attempted();
    const std::size_t written = result.Count(BoardResult::kWritten);
    std::string closing = messages::kSettingsDone;
    if (attempted == 0)
        closing = boards.Count() == 0 ? messages::kNoBoardsToWrite : messages::kNoBoardChosen;
    else if (written != attempted)
        closing = NotWrittenSummary(written, attempted - written);
    lines.push_back({Kind::kClosing, std::move(closing), {}});
    return lines;
}

}  // namespace tessel
