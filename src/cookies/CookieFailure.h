#pragma once

#include <string>

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

struct CookieFailure {
    CookieFailureKind kind = CookieFailureKind::kNone;
    std::string reason;     // one line of Japanese for the user
    std::string character;  // kUnencodable: the character, so a caller can name the field
                            // that holds it

    explicit operator bool() const { return kind != CookieFailureKind::kNone; }
};

}  // namespace tessel
