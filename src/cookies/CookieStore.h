#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "cookies/CookieFailure.h"

namespace tessel {

// The browser cookie store a board's preferences are kept in. All texts are UTF-8; a store that
// keeps another encoding converts at its own edge.
class CookieStore {
  public:
    virtual ~CookieStore() = default;

    // The cookie text the store would send with a request to url: entries "name=value" joined by
    // "; ". An empty text when no cookie applies; nullopt when the store could not be read. name is
    // the cookie the caller looks for (empty for none), and a store may leave cookies of other
    // names out; when that cookie is stored for url but cannot be given back (a character set it
    // was not written in, a secure cookie on http), the text leaves it out and LastFailure says so
    // with kUnreadable.
    virtual std::optional<std::string> InternetGetCookie(const std::string& url,
                                                         const std::string& name) = 0;

    // Sets the cookie called name for url from data, "value; expires=<date>". Returns true when
    // the cookie is stored (or, between BeginWrites and CommitWrites, accepted for storing).
    virtual bool InternetSetCookie(const std::string& url, const std::string& name,
                                   const std::string& data) = 0;

    // Reads ahead what the first calls will need (a store kept in a file reads and indexes the
    // file), so that the reading can be done on another thread while the caller gets ready.
    // Nothing else may use the store until it returns. What it read is checked against the store
    // again before it is used, so a store that changed meanwhile is read anew. Failures are left
    // for the calls that follow to meet and report.
    virtual void Prefetch() {}

    // Groups the following writes so that a store can make them in one go, and makes them.
    // CommitWrites returns false when the grouped writes could not be stored, and then none of
    // them is. A store that writes each cookie at once keeps the defaults.
    virtual void BeginWrites() {}
    virtual bool CommitWrites() { return true; }
    // How many cookies the group about to begin will write, when the caller knows: a store may
    // then start on its write beside them, when the group is large enough to repay it.
    virtual void ExpectWrites(std::size_t /*count*/) {}

    // Gets the grouped writes ready to be stored without storing them yet, so that CommitWrites
    // only has to put them in place: a store that can writes them aside now and starts putting
    // them on disk, while the caller makes its own records durable. False when they could not be
    // written aside (LastFailure says why); the caller then cancels. Nothing is stored until
    // CommitWrites either way. Stores that write in one step keep this default.
    virtual bool StageWrites() { return true; }

    // Drops the writes made since BeginWrites and ends the group, storing none of them. A store
    // that writes each cookie at once cannot take them back and keeps this default.
    virtual void CancelWrites() {}

    // Undo. A record is the exact stored state of the cookie a write of name for url would change:
    // every attribute of each stored copy that write may replace or shadow, or their absence. It
    // is one line of printable ASCII (spaces allowed), meaningful only to the same kind of store,
    // to be kept as it is. Both calls run inside a batch like writes (a record taken in a batch
    // sees the batch's writes) or on their own.
    //
    // RecordCookie gives the record now; nullopt when the store cannot be read or keeps no
    // records (LastFailure says why).
    virtual std::optional<std::string> RecordCookie(const std::string& url,
                                                    const std::string& name) {
        (void)url, (void)name;
        Fail(CookieProblem::kNoUndo);
        return std::nullopt;
    }

    // Puts the cookie back as before records it (a cookie that was absent is removed), provided it
    // is still as written records it. before is taken right before the batch's write of the
    // cookie, written right after it and before the batch's next write. True too when the cookie
    // is already as before. A cookie changed since by someone else is left alone and the call
    // fails with kChanged. A batch is put back in the reverse order of its writes (records of
    // neighbouring boards may share cookies, and a jar's places count on it). A store that cannot
    // rebuild every attribute says in its own comment what it restores.
    virtual bool RestoreCookie(const std::string& url, const std::string& name,
                               const std::string& before, const std::string& written) {
        (void)url, (void)name, (void)before, (void)written;
        return Fail(CookieProblem::kNoUndo);
    }

    // Why the last call failed; kNone after a call that succeeded. Every call sets it.
    const CookieFailure& LastFailure() const { return lastFailure_; }

  protected:
    // Records the outcome of a call and returns whether it succeeded, for "return Fail(...)".
    bool Fail(CookieProblem problem, CookieDetails details = {}) {
        lastFailure_ = MakeFailure(problem, std::move(details));
        return false;
    }
    bool Fail(CookieFailure failure) {
        lastFailure_ = std::move(failure);
        return false;
    }
    void Succeed() { lastFailure_.Clear(); }

  private:
    CookieFailure lastFailure_;
};

}  // namespace tessel
