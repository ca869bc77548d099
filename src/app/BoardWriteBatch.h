#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/BoardList.h"
#include "app/Messages.h"
#include "cookies/CookieStore.h"

namespace tessel {

struct UndoJournal;

// The preferences to set on a board; fields left empty keep the board's own value.
struct PreferenceChanges {
    std::optional<std::string> postName;
    std::optional<std::string> mail;
    std::optional<std::string> homePage;
    std::optional<std::string> password;
    std::optional<std::int32_t> viewCount;
    std::optional<std::int32_t> downloadCount;
    std::optional<std::int32_t> viewOrder;   // 0 newest first, 1 oldest first
    std::optional<std::int32_t> noReadView;  // 1 on, 0 off
    std::optional<std::int32_t> noReadPoint;
    std::optional<std::int32_t> noReadPointR;

    bool Empty() const;
    void ApplyTo(CBBSData& board) const;
};

struct BoardUpdate {
    std::size_t position;  // in the board list, from 1
    PreferenceChanges changes;
};

// Told how a batch goes, so that a long one can show the user it is moving.
class Progress {
  public:
    virtual ~Progress() = default;
    virtual void Start(std::size_t total) = 0;
    virtual void Advance(std::size_t done) = 0;
    virtual void Finish() = 0;
};

// For batches nobody watches.
class NoProgress : public Progress {
  public:
    void Start(std::size_t) override {}
    void Advance(std::size_t) override {}
    void Finish() override {}
};

// Where the front ends' batches differ.
struct BatchRules {
    // A board without a cookie yet starts from its kind's defaults (tessel, which sets only the
    // fields given: a fresh board's zeros are not what its reader would find), or keeps what the
    // board object holds (the window, which sets every field it shows; the unread markers it does
    // not show stay those of the board's last read).
    bool kindDefaultsWithoutCookie = false;
    // A board kind that keeps no cookie is passed over instead of failing: only for "every
    // board", never for boards the user named or marked.
    bool skipBoardsWithoutCookie = false;
    // Store nothing unless every board can be written.
    bool allOrNothing = false;
};

enum class BoardResult {
    kWritten,
    kFailed,      // the board's own failure, in its outcome
    kSkipped,     // a kind without a cookie, under skipBoardsWithoutCookie
    kNotWritten,  // taken by the store, but the batch was not stored, or never reached
};

struct BoardOutcome {
    std::size_t position;
    BoardResult result;
    CookieFailure failure;  // kFailed and kSkipped: why
};

struct BatchResult {
    std::vector<BoardOutcome> outcomes;  // in the order of the updates, every update once
    // The store itself failed (it cannot be read or written, another program holds it): the batch
    // stopped there. kNone when the store did its part.
    CookieFailure storeFailure;
    // The journal that lets the batch be undone could not be kept: nothing was stored.
    CookieFailure journalFailure;

    std::size_t Count(BoardResult result) const;
    // Boards the batch was to write: all but the skipped ones.
    std::size_t Attempted() const { return outcomes.size() - Count(BoardResult::kSkipped); }
    // There was a board to write and every one was written.
    bool Succeeded() const {
        return Attempted() != 0 && Count(BoardResult::kWritten) == Attempted();
    }
};

// Writes the updates as one batch of the store. Each board's cookie is read first, so that what
// the changes do not give keeps its stored value; a cookie that is there but cannot be read is
// never written over (the board fails). A failure of the store itself stops the batch: what the
// store took before it is stored unless the rules ask for all or nothing.
//
// With a journal, each cookie written is recorded as it was and as written, and the batch is
// added to the journal before the store keeps it; a journal that cannot be read or written, or a
// cookie the store cannot record, stops the batch with nothing stored: every batch kept can be
// undone.
BatchResult WriteBoards(BoardList& boards, CookieStore& store,
                        const std::vector<BoardUpdate>& updates, const BatchRules& rules,
                        Progress& progress, UndoJournal* journal = nullptr);

// The words the messages of a batch and of its undo are made of: each front end gives its own.
struct BatchWords {
    std::function<std::string(const CookieFailure&)> failure;
    std::function<std::string(const std::string& board)> notWritten;   // its cookie was not set
    std::function<std::string(const std::string& board)> changed;      // left alone by an undo
    std::function<std::string(const std::string& board)> notRestored;  // an undo failed
    std::string storeFailed;      // a batch stopped by its store; the reason follows
    std::string journalFailed;    // a batch refused as its undo cannot be kept; the reason follows
    std::string undoStoreFailed;  // an undo stopped by its store; the reason follows
    std::string done;
    std::string noBoards;
    std::string noBoardChosen;
    std::string nothingToUndo;
    std::function<std::string(std::size_t written, std::size_t notWritten)> writtenCounts;
    std::function<std::string(std::size_t restored, std::size_t notRestored)> restoredCounts;
    std::function<std::string(const std::string& store)> otherStore;  // the last batch's store
    std::function<std::string(const std::string& why)> journalNotCleared;
};

// What the user is told of a batch, in order: a line per board (written, skipped or its failure:
// the board's name first, the predicate after, the reason on a second line), then the store's
// failure once, then the closing message: words.done only when every board was written.
struct BatchMessage {
    enum class Kind { kWritten, kSkipped, kBoardFailed, kStoreFailed, kClosing };
    // kWritten of an undo: the board put back.
    Kind kind;
    std::string text;    // kWritten, kSkipped: the board's name
    std::string reason;  // kSkipped: why
};
std::vector<BatchMessage> DescribeBatch(const BoardList& boards, const BatchResult& result,
                                        const BatchWords& words);

// The same lines handed one at a time to line(kind, text, reason), the views valid during the call
// only: a long batch's report is written without a copy of every board's name.
template <typename Line>
void DescribeBatchLines(const BoardList& boards, const BatchResult& result, const BatchWords& words,
                        Line line);

template <typename Line>
void DescribeBatchLines(const BoardList& boards, const BatchResult& result, const BatchWords& words,
                        Line line) {
    using Kind = BatchMessage::Kind;
    for (const BoardOutcome& outcome : result.outcomes) {
        const std::string& name = boards.Item(outcome.position)->Name();
        if (outcome.result == BoardResult::kWritten) {
            line(Kind::kWritten, std::string_view(name), std::string_view());
        } else if (outcome.result == BoardResult::kSkipped) {
            line(Kind::kSkipped, std::string_view(name),
                 std::string_view(words.failure(outcome.failure)));
        } else if (outcome.result == BoardResult::kFailed) {
            line(Kind::kBoardFailed,
                 std::string_view(
                     messages::WithReason(words.notWritten(name), words.failure(outcome.failure))),
                 std::string_view());
        }
    }
    if (result.journalFailure) {
        line(Kind::kStoreFailed,
             std::string_view(
                 messages::WithReason(words.journalFailed, words.failure(result.journalFailure))),
             std::string_view());
    } else if (result.storeFailure) {
        line(Kind::kStoreFailed,
             std::string_view(
                 messages::WithReason(words.storeFailed, words.failure(result.storeFailure))),
             std::string_view());
    }
    std::size_t written = 0;
    std::size_t skipped = 0;
    for (const BoardOutcome& outcome : result.outcomes) {
        written += outcome.result == BoardResult::kWritten ? 1 : 0;
        skipped += outcome.result == BoardResult::kSkipped ? 1 : 0;
    }
    const std::size_t attempted = result.outcomes.size() - skipped;
    if (attempted == 0) {
        line(Kind::kClosing,
             std::string_view(boards.Count() == 0 ? words.noBoards : words.noBoardChosen),
             std::string_view());
    } else if (written != attempted) {
        line(Kind::kClosing, std::string_view(words.writtenCounts(written, attempted - written)),
             std::string_view());
    } else {
        line(Kind::kClosing, std::string_view(words.done), std::string_view());
    }
}

}  // namespace tessel
