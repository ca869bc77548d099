#include "cookies/ChromiumCookieStore.h"

#include <filesystem>
#include <limits>

#include "text/TextCase.h"

namespace tessel {
namespace {

// The columns a new cookie gets, and what it gets there: ?1 creation, ?2 host key, ?3 name,
// ?4 encrypted value, ?5 path, ?6 expiry, ?7 now, ?8 priority, ?9 SameSite, ?10 scheme, ?11 port.
// Chromium's versions: 18 adds last_update_utc, 19 caps expiries at 400 days, 20 puts the scheme
// and port into the unique index, 21 drops is_same_party, 22 adds source_type (0: unknown), 23
// adds has_cross_site_ancestor (0 for an unpartitioned cookie), 24 binds each value to its host.
constexpr SchemaColumn kWritten[] = {
    {"creation_utc", "?1"},
    {"host_key", "?2"},
    {"top_frame_site_key", "''"},
    {"name", "?3"},
    {"value", "''"},
    {"encrypted_value", "?4"},
    {"path", "?5"},
    {"expires_utc", "?6"},
    {"is_secure", "0"},
    {"is_httponly", "0"},
    {"last_access_utc", "?7"},
    {"has_expires", "1"},
    {"is_persistent", "1"},
    {"priority", "?8"},
    {"samesite", "?9"},
    {"source_scheme", "?10"},
    {"source_port", "?11"},
    {"is_same_party", "0", 0, 20},
    {"last_update_utc", "?7"},
    {"source_type", "0", 22},
    {"has_cross_site_ancestor", "0", 23},
};

// The first version whose values start with the SHA-256 of their host key.
constexpr std::int64_t kHostBoundVersion = 24;

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
                         kOldestVersion, kNewestVersion, "cookies", kWritten);
}

std::optional<std::string_view> ChromiumCookieStore::BoundHost(std::string_view hostKey) const {
    if (SchemaVersion() < kHostBoundVersion)
        return std::nullopt;
    return hostKey;
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
            const std::optional<std::string> value = cipher_.Decrypt(BoundHost(hostKey), encrypted);
            cookie.readable = value.has_value();
            cookie.value = value.value_or(std::string());
        }
        cookie.path = query.Text(4);
        if (query.Int(6) != 0)
            cookie.expires = Since1970(query.Int(5)) / 1000000;
        cookie.secure = query.Int(7) != 0;
        cookie.httpOnly = query.Int(8) != 0;
        cookie.creation = Since1970(query.Int(9));
        snapshot.Put(std::move(cookie));
    }
    // Every value has been offered to the cipher, so its keys have proven themselves or not.
    if (domains == nullptr)
        version_ = cipher_.PreferredVersion();
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
        encrypted = cipher_.Encrypt(version_, BoundHost(hostKey), cookie.value);
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
        SqlStatement insert(database, InsertAt("cookies", kWritten, SchemaVersion()));
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
            found ? cipher_.Decrypt(BoundHost(cookie.hostKey), read.Text(0)) : std::nullopt;
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
