#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <system_error>
#include <utility>

namespace tessel {

// Why a cookie could not be read or written. Stores and boards keep the reason of their last call
// (as Windows code reads GetLastError), so that a false result can be explained to the user; the
// results themselves stay plain booleans.
enum class CookieFailureKind {
    kNone,
    kNoCookie,       // a read found nothing stored for the board yet: not a fault
    kNoLayout,       // the board kind keeps its settings in the board itself, not in a cookie
    kBadAddress,     // not an http(s) address, or one a browser would not send the cookie to
    kBadCharacter,   // text holds a control character, which a cookie cannot carry
    kUnencodable,    // text holds a character the store's character set cannot carry
    kTooLong,        // name and value together pass what browsers keep
    kUnreadable,     // a cookie is stored for the board but cannot be read
    kStoreUnusable,  // the store itself cannot be read or written
    kStoreBusy,      // another program holds the store
    kChanged,        // an undo found the cookie changed since the batch wrote it, and left it
};

// What exactly happened, finer than the kind: each front end words it from its own catalog, with
// the details it names. The comment lists those details.
enum class CookieProblem {
    kNone,
    // Reading a board's cookie.
    kNoCookieYet,
    kNotHttpAddress,           // address
    kFieldCountMismatch,       // number (stored), limit (the board kind's)
    kNumberUnreadable,         // item (the stored field)
    kStoredHttpOnly,           // address (the stored cookie's domain and path)
    kStoredSecureOnHttp,       // address
    kStoredReplacedByBrowser,  // address, name (browser)
    kStoredInOtherCharset,     // address, name (charset)
    kStoredInOtherJarCharset,  // address, name (charset)
    kStoredUndecryptable,      // address, cause (why the cipher failed)
    kShadowedElsewhere,
    // Writing a board's cookie.
    kBoardKeepsSettings,
    kAddressNotSent,  // address
    kNotCookieAddress,
    kCannotSetAt,     // address
    kControlInField,  // field
    kControlCharacter,
    kTabOrNewline,
    kEmptyName,
    kBadExpiryOrAttribute,
    kNeedsExpiry,        // name (browser)
    kTooLong,            // limit
    kTooManyBytes,       // number (the cookie's bytes), limit
    kInvalidBytes,       // field
    kCannotSend,         // field, character, name (charset)
    kCannotSendUseUtf8,  // field, character, name (charset)
    kCannotSendSome,     // name (charset)
    kFirefoxNeedsUtf8,   // field, character
    kNotUtf8Text,        // field
    kNotInCodePage,      // field, character, number (the code page)
    kStoreRefused,
    kUnsafeToWrite,  // name (browser)
    // The store itself.
    kUnknownStoreVersion,   // name (browser), number (version), limit (the newest known)
    kOldStoreVersion,       // name (browser), number (version), limit (the oldest known)
    kMissingColumn,         // name (browser), item (the column)
    kDatabaseBusy,          // name (browser), number (seconds waited)
    kDatabaseUnusable,      // name (browser), system
    kBackupFailed,          // name (browser), system
    kDescriptorPath,        // path
    kJarIsFolder,           // path
    kNotAJar,               // path
    kJarUnreadable,         // path, error
    kJarUnopenable,         // path, error
    kJarUnwritable,         // path, error
    kJarFolderUncreatable,  // path, error
    kJarFolderUnopenable,   // path, error
    kJarBusy,               // path, number (seconds waited)
    kJarGone,               // path
    kSystemReadFailed,      // system
    kSystemWriteFailed,     // system
    // Undo.
    kNoUndo,
    kChangedSinceWrite,
    kStoreVersionChangedSinceWrite,  // name (browser), number (the record's version), limit (now)
    kRecordNotJars,
    kRecordNotStores,  // name (the store)
    // The browser's cipher and profile.
    kNoCryptoLibrary,
    kUnknownCipher,  // name (the cipher's version)
    kKeyringNeeded,
    kCannotEncrypt,
    kCannotDecrypt,
    kFirefoxRunning,     // number (process)
    kChromiumElsewhere,  // name (host)
    kChromiumRunning,    // number (process), name (browser)
    kFlatpakRunning,     // name (browser), number (process)
    kFlatpakUnsure,      // name (browser), number (the process inside the sandbox)
    kKeyringKeysMisfit,
    kPortalKey,
    kBrowserRunning,      // name (browser), path (the file it holds)
    kAppBoundCipher,      // name (browser)
    kBrowserKeyUnusable,  // name (browser), path (the Local State)
    kNoHomeForJar,
    kStoreKindUnavailable,  // name (the kind)
    kNoBrowserProfile,      // name (browser), item (how --cookie-store names a folder)
    kNoCookieDatabase,      // name (browser), item (the database's file name), path (the folder)
    kFolderNotWritable,     // path
    // The undo journal.
    kNoJournalPlace,  // path (where the journal would be), name (the variable not set)
    kFileFailed,      // path (when known), system or error: a file of the program's own
    kNotAJournal,     // path
};

// Which of a board's texts holds the character a failure is about.
enum class CookieField { kNone, kPostName, kMail, kHomePage, kPassword, kAddress };

struct CookieDetails {
    std::string character;  // the character the store cannot carry
    CookieField field = CookieField::kNone;
    std::string path;         // a file or folder
    std::string name;         // a browser, a character set, a host
    std::string item;         // a stored field or column
    std::string address;      // a board's address, or where a stored cookie is
    std::string system;       // the system's own words for an error, when it has them
    std::error_code error;    // an error without such words
    std::int64_t number = 0;  // a size, a count, a version, seconds, a process
    std::int64_t limit = 0;   // what number passes or differs from
    CookieProblem cause = CookieProblem::kNone;  // what lay under it

    // For a failure site's one line: Fail(problem, CookieDetails().Path(path_).Error(error)).
    CookieDetails& Character(std::string value) { return Set(character, std::move(value)); }
    CookieDetails& Field(CookieField value) { return Set(field, value); }
    CookieDetails& Path(std::string value) { return Set(path, std::move(value)); }
    CookieDetails& Name(std::string value) { return Set(name, std::move(value)); }
    CookieDetails& Item(std::string value) { return Set(item, std::move(value)); }
    CookieDetails& Address(std::string value) { return Set(address, std::move(value)); }
    CookieDetails& System(std::string value) { return Set(system, std::move(value)); }
    CookieDetails& Error(std::error_code value) { return Set(error, value); }
    CookieDetails& Number(std::int64_t value) { return Set(number, value); }
    CookieDetails& Limit(std::int64_t value) { return Set(limit, value); }
    CookieDetails& Cause(CookieProblem value) { return Set(cause, value); }

  private:
    template <typename T, typename V>
    CookieDetails& Set(T& member, V&& value) {
        member = std::forward<V>(value);
        return *this;
    }
};

struct CookieFailure {
    CookieFailureKind kind = CookieFailureKind::kNone;
    CookieProblem problem = CookieProblem::kNone;
    CookieDetails details;

    explicit operator bool() const { return kind != CookieFailureKind::kNone; }

    // Makes the failure blank. One that is blank already is left as it is: most calls succeed,
    // and rebuilding every detail each time cost more than the call's own work.
    void Clear();
    // Whether any detail is set.
    bool HasDetails() const;
};

// The kind each problem is of.
CookieFailureKind KindOf(CookieProblem problem);

// Every problem but kNone, in declaration order (for catalogs' checks).
std::span<const CookieProblem> AllCookieProblems();

// A failure of problem with details; its kind follows from the problem.
inline CookieFailure MakeFailure(CookieProblem problem, CookieDetails details = {}) {
    CookieFailure failure;
    failure.kind = KindOf(problem);
    failure.problem = problem;
    failure.details = std::move(details);
    return failure;
}

}  // namespace tessel
