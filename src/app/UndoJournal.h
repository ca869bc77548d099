#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieFailure.h"

namespace tessel {

// The file the undo journal lives in; the platform decides where.
class JournalFile {
  public:
    virtual ~JournalFile() = default;
    // The whole file; an empty text when there is none yet. nullopt when it cannot be read, with
    // error saying why (the journal adds where the file is).
    virtual std::optional<std::string> Read(CookieFailure& error) = 0;
    // Replaces the whole file in one step, readable by its owner only from its first byte, making
    // its folders as needed. False with error saying why.
    virtual bool Replace(const std::string& text, CookieFailure& error) = 0;
    // Where the file is, for messages.
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

// The journal as text, one field per word and every byte a word cannot hold escaped, and back.
// nullopt for a text that is not a journal of this version.
std::string FormatJournal(const std::vector<JournalBatch>& batches);
std::optional<std::vector<JournalBatch>> ParseJournal(std::string_view text);

// Where a batch keeps what it needs to be undone: the journal's file, the identity of the store in
// use (the same text for the same store from either front end), and the clock for the time.
struct UndoJournal {
    JournalFile& file;
    std::string store;
    Clock& clock;

    // The batches kept, oldest first; nullopt with error when the file cannot be read or is not a
    // journal (it is then never written over).
    std::optional<std::vector<JournalBatch>> Load(CookieFailure& error);
    bool Save(const std::vector<JournalBatch>& batches, CookieFailure& error);
};

}  // namespace tessel
