#include "app/BatchUndo.h"

#include <algorithm>

#include "app/Messages.h"

namespace tessel {

std::size_t UndoResult::Count(UndoOutcome::Result result) const {
    return static_cast<std::size_t>(
        std::count_if(outcomes.begin(), outcomes.end(),
                      [result](const UndoOutcome& outcome) { return outcome.result == result; }));
}

bool UndoResult::Succeeded() const {
    return !refusal && otherStore.empty() && !nothingToUndo &&
           Count(UndoOutcome::Result::kRestored) == outcomes.size();
}

UndoResult UndoLastBatch(UndoJournal& journal, CookieStore& store) {
    using Result = UndoOutcome::Result;
    UndoResult result;
    const std::optional<KeptBatch> last = journal.Last(result.refusal);
    if (!last) {
        result.nothingToUndo = !result.refusal;
        return result;
    }
    const JournalBatch& batch = last->batch;
    if (batch.store != journal.store) {
        result.otherStore = batch.store;
        return result;
    }
    for (const JournalCookie& cookie : batch.cookies)
        result.outcomes.push_back({cookie.board, Result::kNotRestored, {}});
    store.BeginWrites();
    for (std::size_t i = batch.cookies.size(); i-- > 0;) {
        const JournalCookie& cookie = batch.cookies[i];
        UndoOutcome& outcome = result.outcomes[i];
        if (store.RestoreCookie(cookie.url, cookie.name, cookie.before, cookie.written)) {
            outcome.result = Result::kRestored;
            continue;
        }
        const CookieFailure& failure = store.LastFailure();
        if (failure.kind == CookieFailureKind::kStoreUnusable ||
            failure.kind == CookieFailureKind::kStoreBusy) {
            result.storeFailure = failure;
            break;
        }
        outcome.result =
            failure.kind == CookieFailureKind::kChanged ? Result::kChanged : Result::kFailed;
        outcome.failure = failure;
    }
    // A store that failed as a whole puts back nothing, so that the batch is tried again whole.
    if (result.storeFailure) {
        store.CancelWrites();
    } else if (!store.CommitWrites()) {
        result.storeFailure = store.LastFailure();
    }
    if (result.storeFailure) {
        for (UndoOutcome& outcome : result.outcomes) {
            if (outcome.result == Result::kRestored)
                outcome.result = Result::kNotRestored;
        }
        return result;
    }
    if (result.Count(Result::kFailed) == 0)
        journal.Remove(last->number, result.journalFailure);
    return result;
}

std::vector<BatchMessage> DescribeUndo(const UndoResult& result, const BatchWords& words) {
    using Kind = BatchMessage::Kind;
    using Result = UndoOutcome::Result;
    std::vector<BatchMessage> lines;
    if (result.nothingToUndo || result.refusal || !result.otherStore.empty()) {
        lines.push_back({Kind::kClosing,
                         result.nothingToUndo         ? words.nothingToUndo
                         : !result.otherStore.empty() ? words.otherStore(result.otherStore)
                                                      : words.failure(result.refusal),
                         {}});
        return lines;
    }
    for (const UndoOutcome& outcome : result.outcomes) {
        if (outcome.result == Result::kRestored) {
            lines.push_back({Kind::kWritten, outcome.board, {}});
        } else if (outcome.result != Result::kNotRestored) {
            const std::string message = outcome.result == Result::kChanged
                                            ? words.changed(outcome.board)
                                            : words.notRestored(outcome.board);
            lines.push_back({Kind::kBoardFailed,
                             messages::WithReason(message, words.failure(outcome.failure)),
                             {}});
        }
    }
    if (result.storeFailure) {
        lines.push_back(
            {Kind::kStoreFailed,
             messages::WithReason(words.undoStoreFailed, words.failure(result.storeFailure)),
             {}});
    }
    const std::size_t restored = result.Count(Result::kRestored);
    std::string closing = words.done;
    if (restored != result.outcomes.size())
        closing = words.restoredCounts(restored, result.outcomes.size() - restored);
    if (result.journalFailure) {
        closing = messages::WithReason(
            closing, words.journalNotCleared(words.failure(result.journalFailure)));
    }
    lines.push_back({Kind::kClosing, std::move(closing), {}});
    return lines;
}

}  // namespace tessel
