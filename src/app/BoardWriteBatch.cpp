#include "app/BoardWriteBatch.h"

#include <algorithm>

#include "app/Messages.h"
#include "app/UndoJournal.h"
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
// once stored. Returns whether they were.
bool EndBatch(CookieStore& store, bool keep, BatchResult& result) {
    bool stored = false;
    if (keep) {
        stored = store.CommitWrites();
        if (!stored && !result.storeFailure)
            result.storeFailure = store.LastFailure();
    } else {
        store.CancelWrites();
    }
    if (stored)
        return true;
    for (BoardOutcome& outcome : result.outcomes) {
        if (outcome.result == BoardResult::kWritten)
            outcome.result = BoardResult::kNotWritten;
    }
    return false;
}

// The journal's part in a batch: the batches kept before it, and the cookies it writes.
class JournalRecorder {
  public:
    explicit JournalRecorder(UndoJournal* journal) : journal_(journal) {}

    // Makes sure a batch can be added, so that a journal that cannot be kept stops the batch
    // before anything is written.
    bool Open(CookieFailure& error, std::size_t boards) {
        if (journal_ == nullptr)
            return true;
        if (!journal_->Prepare(error))
            return false;
        time_ = journal_->clock.GetSystemTime();
        cookies_.reserve(boards);
        records_.reserve(boards * 256);
        return true;
    }

    // The board's cookie as the store holds it now; false when it cannot be recorded.
    bool Before(CookieStore& store, const CBBSData& board) {
        if (journal_ == nullptr)
            return true;
        const std::optional<std::string> record = store.RecordCookie(board.URL(), board.URL());
        // Kept in one buffer with every other record of the batch: each record the store makes
        // goes at once, its storage ready for the next.
        beforeAt_ = records_.size();
        if (record)
            records_ += *record;
        return record.has_value();
    }
    bool Written(CookieStore& store, const CBBSData& board) {
        if (journal_ == nullptr)
            return true;
        const std::optional<std::string> record = store.RecordCookie(board.URL(), board.URL());
        if (record) {
            const std::size_t writtenAt = records_.size();
            records_ += *record;
            cookies_.push_back({&board, beforeAt_, writtenAt, records_.size()});
        } else {
            records_.resize(beforeAt_);
        }
        return record.has_value();
    }

    // The batch's text for the journal; empty when there is nothing to add.
    std::string Text() const {
        if (journal_ == nullptr || cookies_.empty())
            return {};
        // The boards' names and addresses are the journal's words as they stand: nothing of the
        // board is copied for it.
        std::vector<JournalCookieView> views;
        views.reserve(cookies_.size());
        for (const Recorded& cookie : cookies_) {
            views.push_back({cookie.board->Name(), cookie.board->URL(), cookie.board->URL(),
                             Before(cookie), Written(cookie)});
        }
        return FormatJournalBatch(time_, journal_->store, views);
    }

    // Adds the batch, as Text made it, to the journal, before the store keeps it.
    bool Save(const std::string& text, CookieFailure& error) {
        if (text.empty())
            return true;
        saved_ = journal_->Add(text, error);
        return saved_.has_value();
    }

    // The batch was stored: the oldest batches beyond those kept go.
    void Stored() {
        if (saved_)
            journal_->DropOldest();
    }

    // The batch was not stored after all: takes it out of the journal, and puts back what a store
    // that writes each cookie at once has taken.
    void Withdraw(CookieStore& store) {
        if (journal_ == nullptr)
            return;
        CookieFailure error;
        if (saved_)
            journal_->Remove(*saved_, error);
        for (auto cookie = cookies_.rbegin(); cookie != cookies_.rend(); ++cookie) {
            const std::string& url = cookie->board->URL();
            store.RestoreCookie(url, url, std::string(Before(*cookie)),
                                std::string(Written(*cookie)));
        }
    }

  private:
    // A cookie written: its board (whose name and address a batch leaves alone), and where its
    // records are, one after the other, in records_.
    struct Recorded {
        const CBBSData* board;
        std::size_t before, written, end;
    };
    std::string_view Before(const Recorded& cookie) const {
        return std::string_view(records_).substr(cookie.before, cookie.written - cookie.before);
    }
    std::string_view Written(const Recorded& cookie) const {
        return std::string_view(records_).substr(cookie.written, cookie.end - cookie.written);
    }

    UndoJournal* journal_;
    SystemTime time_{};
    std::vector<Recorded> cookies_;
    std::string records_;
    std::size_t beforeAt_ = 0;  // where the record of the board being written begins
    std::optional<std::uint64_t> saved_;
};

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
                        Progress& progress, UndoJournal* journal) {
    BatchResult result;
    result.outcomes.reserve(updates.size());
    JournalRecorder recorder(journal);
    if (!updates.empty() && !recorder.Open(result.journalFailure, updates.size())) {
        for (const BoardUpdate& update : updates)
            result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
        return result;
    }
    progress.Start(updates.size());
    store.ExpectWrites(updates.size());
    store.BeginWrites();
    bool anyFailed = false;
    bool unrecorded = false;  // a cookie written but not recorded: nothing may be stored
    for (const BoardUpdate& update : updates) {
        if (result.storeFailure) {
            result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
            continue;
        }
        CBBSData& board = *boards.Item(update.position);
        if (!recorder.Before(store, board)) {
            // A cookie that cannot be recorded is not written: its write could not be undone.
            if (IsStoreFailure(store.LastFailure())) {
                result.storeFailure = store.LastFailure();
                result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
            } else {
                anyFailed = true;
                result.outcomes.push_back(
                    {update.position, BoardResult::kFailed, store.LastFailure()});
            }
            progress.Advance(result.outcomes.size());
            continue;
        }
        BoardResult written = WriteBoard(board, update.changes, rules);
        if (written == BoardResult::kWritten && !recorder.Written(store, board)) {
            unrecorded = true;
            result.storeFailure = store.LastFailure();
            written = BoardResult::kNotWritten;
        }
        if (written == BoardResult::kNotWritten) {
            result.outcomes.push_back({update.position, written, {}});
        } else if (written != BoardResult::kWritten && IsStoreFailure(board.LastFailure())) {
            result.storeFailure = board.LastFailure();
            result.outcomes.push_back({update.position, BoardResult::kNotWritten, {}});
        } else {
            // Made in place: a written board's outcome needs no failure copied or moved.
            BoardOutcome& outcome = result.outcomes.emplace_back();
            outcome.position = update.position;
            outcome.result = written;
            if (written != BoardResult::kWritten)
                outcome.failure = board.LastFailure();
            anyFailed = anyFailed || written == BoardResult::kFailed;
        }
        progress.Advance(result.outcomes.size());
    }
    bool keep = !unrecorded && !(rules.allOrNothing && (anyFailed || result.storeFailure));
    // The journal's text is made first, while a store that began writing aside as the batch
    // started finishes that. The store then writes the batch aside, so that the disk takes it
    // while the journal makes its own record durable; it puts it in place only once the journal
    // has it.
    const std::string journalText = keep ? recorder.Text() : std::string();
    if (keep && !store.StageWrites()) {
        if (!result.storeFailure)
            result.storeFailure = store.LastFailure();
        keep = false;
    }
    if (keep && !recorder.Save(journalText, result.journalFailure))
        keep = false;
    if (EndBatch(store, keep, result))
        recorder.Stored();
    else
        recorder.Withdraw(store);
    progress.Finish();
    return result;
}

std::vector<BatchMessage> DescribeBatch(const BoardList& boards, const BatchResult& result,
                                        const BatchWords& words) {
    std::vector<BatchMessage> lines;
    lines.reserve(result.outcomes.size() + 2);  // a line per board, a failure, the closing one
    DescribeBatchLines(
        boards, result, words,
        [&](BatchMessage::Kind kind, std::string_view text, std::string_view reason) {
            lines.push_back({kind, std::string(text), std::string(reason)});
        });
    return lines;
}

}  // namespace tessel
