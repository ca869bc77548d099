#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieFailure.h"

namespace tessel {

// The folder the undo journal lives in, a file per batch named by a number that grows with each
// batch; the platform decides where. A batch is added or removed whole, so that a crash leaves
// the journal with or without it, never with part of it.
class JournalFile {
  public:
    virtual ~JournalFile() = default;
    // Makes the folder as needed; false with error saying why when no batch could be added.
    virtual bool Prepare(CookieFailure& error) = 0;
    // The numbers of the batches kept, in no order; none when there is no folder yet. nullopt
    // when the folder cannot be read, with error saying why.
    virtual std::optional<std::vector<std::uint64_t>> Numbers(CookieFailure& error) = 0;
    // One batch's text; nullopt with error saying why.
    virtual std::optional<std::string> Read(std::uint64_t number, CookieFailure& error) = 0;
    // Adds a batch in one step, readable by its owner only from its first byte. False with error,
    // also when a batch of that number is there: one batch never takes another's place.
    virtual bool Add(std::uint64_t number, const std::string& text, CookieFailure& error) = 0;
    virtual bool Remove(std::uint64_t number, CookieFailure& error) = 0;
    // Lets an old batch go. Unlike Remove, its going need not last through a crash: a batch that
    // comes back is only one more old batch kept, and goes with the next.
    virtual void Forget(std::uint64_t number) {
        CookieFailure ignored;
        Remove(number, ignored);
    }
    // Called as a batch starts: lets the batches forgotten before go for good, where Forget only
    // set them aside so that freeing them never held up the batch that dropped them. It may carry
    // on beside the batch.
    virtual void ClearForgotten() {}
    // Where the folder is, for messages.
    virtual std::string Where() const = 0;
};

// A board's cookie as a batch found it and as it left it, in the store's own records.
struct JournalCookie {
    std::string board;  // the board's name, for the summary
    std::string url;
    std::string name;
    std::string before;
    std::string written;
};

struct JournalBatch {
    SystemTime time;
    std::string store;                   // the identity of the store written
    std::vector<JournalCookie> cookies;  // in the order written
};

// How many batches the journal keeps; the oldest goes first.
inline constexpr std::size_t kJournalBatches = 10;

// Batches as text, one field per word and every byte a word cannot hold escaped, and back.
// nullopt for a text that is not a journal of this version.
std::string FormatJournal(std::span<const JournalBatch> batches);

// A cookie's fields as a batch being written has them, borrowed from its boards and records.
struct JournalCookieView {
    std::string_view board, url, name, before, written;
};
// The text FormatJournal gives for one batch of these cookies.
std::string FormatJournalBatch(const SystemTime& time, std::string_view store,
                               std::span<const JournalCookieView> cookies);
std::optional<std::vector<JournalBatch>> ParseJournal(std::string_view text);

// A batch as the journal keeps it.
struct KeptBatch {
    std::uint64_t number;
    JournalBatch batch;
};

// Where a batch keeps what it needs to be undone: the journal's folder, the identity of the store
// in use (the same text for the same store from either front end), and the clock for the time.
// Each batch is a file of its own, so that adding one never reads or rewrites the others.
struct UndoJournal {
    UndoJournal(JournalFile& journalFile, std::string storeIdentity, Clock& timeSource)
        : file(journalFile), store(std::move(storeIdentity)), clock(timeSource) {}

    JournalFile& file;
    std::string store;
    Clock& clock;

    // Whether a batch can be added; false with error saying why.
    bool Prepare(CookieFailure& error);
    // The last batch kept. nullopt with no error when none is; nullopt with error when the
    // folder or the batch cannot be read or is not a journal (it is then never written over).
    std::optional<KeptBatch> Last(CookieFailure& error);
    // Adds a batch, as FormatJournalBatch (or FormatJournal of one batch) wrote it, after every
    // one kept; its number, or nullopt with error.
    std::optional<std::uint64_t> Add(const std::string& text, CookieFailure& error);
    // Lets the oldest batches go beyond kJournalBatches, once a new one was stored.
    void DropOldest();
    bool Remove(std::uint64_t number, CookieFailure& error);

  private:
    // The batches there when the last one was added, that one among them: what DropOldest goes
    // by, so that the folder is not listed again. Empty when unknown.
    std::vector<std::uint64_t> added_;
};

}  // namespace tessel
