#pragma once

#include <string>
#include <vector>

#include "app/BoardWriteBatch.h"
#include "app/UndoJournal.h"
#include "cookies/CookieStore.h"

namespace tessel {

struct UndoOutcome {
    enum class Result {
        kRestored,
        kChanged,      // changed by someone else since the batch: left alone
        kFailed,       // the store refused to put it back, in failure
        kNotRestored,  // the store failed as a whole before or while putting it back
    };
    std::string board;
    Result result;
    CookieFailure failure;
};

struct UndoResult {
    bool nothingToUndo = false;
    // Why the last batch cannot be undone here (the journal unreadable, another store); empty
    // when it was tried.
    CookieFailure refusal;
    // The store the last batch was written to, when it is not the one in use (and is refused).
    std::string otherStore;
    std::vector<UndoOutcome> outcomes;  // in the order the batch wrote them
    CookieFailure storeFailure;
    // Put back, but the journal still holds the batch (undoing it again changes nothing).
    CookieFailure journalFailure;

    std::size_t Count(UndoOutcome::Result result) const;
    bool Succeeded() const;
};

// Puts the last batch of the journal back in store, as one batch of the store, in the reverse
// order of its writes, then drops it from the journal. A batch that ends with cookies left alone
// because they changed is dropped too; one the store failed to put back stays, to be tried again.
// A batch written to another store than journal.store is refused and stays.
UndoResult UndoLastBatch(UndoJournal& journal, CookieStore& store);

// What the user is told of an undo, in the style of a batch: a line per board (its name when
// put back, else why not), the store's failure once, then words.done only when every cookie was
// put back, otherwise the counts.
std::vector<BatchMessage> DescribeUndo(const UndoResult& result, const BatchWords& words);

}  // namespace tessel
