#include "cookies/ChromiumCookieStore.h"

#include <filesystem>
#include <limits>

#include "text/TextCase.h"

namespace tessel {
namespace {

constexpr std::string_view kColumns[] = {
    "creation_utc",
    "host_key",
    "top_frame_site_key",
    "name",
    "value",
    "encrypted_value",
    "path",
    "expires_utc",
    "is_secure",
    "is_httponly",
    "last_access_utc",
    "has_expires",
    "is_persistent",
    "priority",
    "samesite",
    "source_scheme",
    "source_port",
    "last_update_utc",
    "source_type",
    "has_cross_site_ancestor",
};

// Microseconds from 1601-01-01, where Chromium counts from, to 1970-01-01.
constexpr std::int64_t kEpochOffsetMicroseconds = 11644473600LL * 1000000;

// A time of a row, in microseconds since 1970. A row may hold any integer; one too far before 1601
// to count back from is taken as the earliest time there is.
std::int64_t Since1970(std::int64_t microsecondsSince1601) {
    constexpr std::int64_t kEarliest = std::numeric_limits<std::int64_t>::min();
    return microsecondsSince1601 < kEarliest + kEpochOffsetMicroseconds
               ? kEarliest
               : microsecondsSince1601 - kEpochOffsetMicroseconds;
}

// Chromium's codes for what the program writes: medium priority, no SameSite attribute, set
// over a plain or secure scheme.
constexpr std::int64_t kPriorityMedium = 1;
constexpr std::int64_t kSameSiteUnspecified = -1;
constexpr std::int64_t kSchemeNonSecure = 1;
constexpr std::int64_t kSchemeSecure = 2;

constexpr std::string_view kVersionTags[] = {"v11", "v10"};

// The first character of text (a whole UTF-8 sequence) that codec cannot encode.
std::string FirstUnencodable(CookieCodec& codec, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        if (!codec.Encode(text.substr(i, end - i)))
            return std::string(text.substr(i, end - i));
        i = end;
    }
    return {};
}

std::string HostKey(const StoredCookie& cookie) {
    return cookie.hostOnly ? cookie.domain : "." + cookie.domain;
}

}  // namespace

ChromiumCookieStore::ChromiumCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock,
                                         CookieCipher& cipher, CookieCodec& codec)
    : BrowserCookieStore(std::move(databasePath), clock, lock), cipher_(cipher), codec_(codec) {}

bool ChromiumCookieStore::CheckSchema(SqlDatabase& database) {
    return CheckSchemaIs(database, "SELECT CAST(value AS INTEGER) FROM meta WHERE key = 'version'",
                         kSchemaVersion, "cookies", kColumns);
}

bool ChromiumCookieStore::Load(SqlDatabase& database, const std::vector<std::string_view>* domains,
                               CookieSnapshot& snapshot) {
    SqlStatement query(
        database,
        ForDomains(
            "SELECT host_key, name, value, encrypted_value, path, expires_utc, has_expires, "
            "is_secure, is_httponly, creation_utc FROM cookies WHERE top_frame_site_key = ''",
            "host_key", domains));
    BindDomains(query, domains);
    std::string seen;
    while (query.Step()) {
        StoredCookie cookie;
        const std::string hostKey = query.Text(0);
        cookie.hostOnly = hostKey.empty() || hostKey[0] != '.';
        cookie.domain = FoldCase(cookie.hostOnly ? hostKey : hostKey.substr(1));
        cookie.name = query.Text(1);
        const std::string encrypted = query.Text(3);
        if (encrypted.empty()) {
            cookie.value = query.Text(2);
        } else {
            const std::optional<std::string> value = cipher_.Decrypt(hostKey, encrypted);
            cookie.readable = value.has_value();
            cookie.value = value.value_or(std::string());
            if (seen != "v11")
                seen = encrypted.substr(0, 3);
        }
        cookie.path = query.Text(4);
        if (query.Int(6) != 0)
            cookie.expires = Since1970(query.Int(5)) / 1000000;
        cookie.secure = query.Int(7) != 0;
        cookie.httpOnly = query.Int(8) != 0;
        cookie.creation = Since1970(query.Int(9));
        snapshot.Put(std::move(cookie));
    }
    if (domains == nullptr) {
        const bool known = seen == kVersionTags[0] || seen == kVersionTags[1];
        version_ = known ? seen : cipher_.PreferredVersion();
    }
    return database.Ok();
}

std::optional<std::string> ChromiumCookieStore::Decode(const std::string& bytes) {
    return codec_.Decode(bytes);
}

bool ChromiumCookieStore::Encode(const std::string& name, const std::string& value,
                                 StoredCookie& cookie) {
    std::optional<std::string> encodedName = codec_.Encode(name);
    std::optional<std::string> encodedValue = codec_.Encode(value);
    if (!encodedName || !encodedValue) {
        const std::string character = FirstUnencodable(codec_, name + value);
        return Fail(CookieProblem::kCannotSend,
                    CookieDetails().Character(character).Name(codec_.IsUtf8() ? "UTF-8" : "CP932"));
    }
    cookie.name = std::move(*encodedName);
    cookie.value = std::move(*encodedValue);
    return true;
}

bool ChromiumCookieStore::Write(SqlDatabase& database, const CookieChange& change,
                                const StoredCookie* replaced) {
    const StoredCookie& cookie = change.cookie;
    const std::string hostKey = HostKey(cookie);
    // Encrypted before anything is deleted, so that a missing key leaves the old cookie in place.
    std::optional<std::string> encrypted;
    if (!change.remove) {
        encrypted = cipher_.Encrypt(version_, hostKey, cookie.value);
        if (!encrypted)
            return Fail(cipher_.Reason());
    }
    // A new cookie takes the place of expired copies of its key, whose flags it must not inherit.
    if (change.remove || replaced == nullptr) {
        SqlStatement remove(database,
                            "DELETE FROM cookies WHERE host_key = ?1 AND top_frame_site_key = '' "
                            "AND name = ?2 AND path = ?3");
        remove.Bind(1, hostKey).Bind(2, cookie.name).Bind(3, cookie.path);
        if (!remove.Run() || change.remove)
            return database.Ok();
    }
    const std::int64_t now = NowMicroseconds() + kEpochOffsetMicroseconds;
    const std::int64_t expires = cookie.expires.value_or(0) * 1000000 + kEpochOffsetMicroseconds;
    if (replaced != nullptr) {
        // Every copy of the cookie (whatever scheme or port it came from: Chromium treats them as
        // one) takes the value and keeps its own flags.
        SqlStatement update(
            database,
            "UPDATE cookies SET value = '', encrypted_value = ?1, expires_utc = ?2, "
            "has_expires = 1, is_persistent = 1, last_access_utc = ?3, last_update_utc = ?3 "
            "WHERE host_key = ?4 AND top_frame_site_key = '' AND name = ?5 AND path = ?6");
        update.BindBlob(1, *encrypted).Bind(2, expires).Bind(3, now).Bind(4, hostKey);
        update.Bind(5, cookie.name).Bind(6, cookie.path);
        if (!update.Run())
            return false;
    } else {
        SqlStatement insert(
            database,
            "INSERT INTO cookies (creation_utc, host_key, top_frame_site_key, name, value, "
            "encrypted_value, path, expires_utc, is_secure, is_httponly, last_access_utc, "
            "has_expires, is_persistent, priority, samesite, source_scheme, source_port, "
            "last_update_utc, source_type, has_cross_site_ancestor) "
            "VALUES (?1, ?2, '', ?3, '', ?4, ?5, ?6, 0, 0, ?7, 1, 1, ?8, ?9, ?10, ?11, ?7, 0, 0)");
        insert.Bind(1, cookie.creation + kEpochOffsetMicroseconds).Bind(2, hostKey);
        insert.Bind(3, cookie.name).BindBlob(4, *encrypted).Bind(5, cookie.path);
        insert.Bind(6, expires).Bind(7, now).Bind(8, kPriorityMedium).Bind(9, kSameSiteUnspecified);
        insert.Bind(10, change.secureScheme ? kSchemeSecure : kSchemeNonSecure);
        insert.Bind(11, std::int64_t{change.port});
        if (!insert.Run())
            return false;
    }
    written_.push_back({hostKey, cookie.name, cookie.path, cookie.value});
    return true;
}

CookieFailure ChromiumCookieStore::UnreadableReason() {
    // The cipher says why when the value could not be decrypted (the keyring, say).
    const CookieFailure reason = cipher_.Reason();
    if (!reason) {
        return MakeFailure(CookieProblem::kStoredInOtherCharset,
                           CookieDetails().Name(codec_.IsUtf8() ? "UTF-8" : "CP932"));
    }
    CookieDetails details = reason.details;
    return MakeFailure(CookieProblem::kStoredUndecryptable, details.Cause(reason.problem));
}

bool ChromiumCookieStore::BeforeFirstWrite(SqlDatabase& database) {
    std::error_code ignored;
    std::filesystem::remove(BackupPath(), ignored);
    if (CreatePrivateFile(BackupPath()) && database.CopyTo(BackupPath())) {
        // The copy holds the reader's passwords, as the database does (where the platform could
        // not create it private, it becomes so now).
        std::filesystem::permissions(
            BackupPath(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            ignored);
        return true;
    }
    return Fail(CookieProblem::kBackupFailed,
                CookieDetails().Name(BrowserName()).System(database.Message()));
}

void ChromiumCookieStore::BatchStarted(SqlDatabase&) {
    written_.clear();
}

bool ChromiumCookieStore::BeforeCommit(SqlDatabase& database) {
    SqlStatement read(database,
                      "SELECT encrypted_value FROM cookies WHERE host_key = ?1 AND "
                      "top_frame_site_key = '' AND name = ?2 AND path = ?3");
    for (const Written& cookie : written_) {
        read.Bind(1, cookie.hostKey).Bind(2, cookie.name).Bind(3, cookie.path);
        const bool found = read.Step();
        const std::optional<std::string> value =
            found ? cipher_.Decrypt(cookie.hostKey, read.Text(0)) : std::nullopt;
        read.Reset();
        if (value != cookie.value) {
            written_.clear();
            return Fail(CookieProblem::kUnsafeToWrite, CookieDetails().Name(BrowserName()));
        }
    }
    written_.clear();
    return database.Ok() || FailFromDatabase(database);
}

}  // namespace tessel
