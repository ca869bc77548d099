#include "cookies/FirefoxCookieStore.h"

#include "text/TextCase.h"

namespace tessel {
namespace {

constexpr std::string_view kColumns[] = {
    "id",         "originAttributes", "name",         "value",        "host",
    "path",       "expiry",           "lastAccessed", "creationTime", "isSecure",
    "isHttpOnly", "inBrowserElement", "sameSite",     "schemeMap",    "isPartitionedAttributeSet",
    "updateTime",
};

// Firefox's code for a cookie set without a SameSite attribute.
constexpr std::int64_t kSameSiteUnset = 256;

// Firefox's scheme bits: the schemes a cookie was set from.
constexpr std::int64_t kSchemeHttp = 1;
constexpr std::int64_t kSchemeHttps = 2;

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The first character of text that is not ASCII (a whole UTF-8 sequence), or empty.
std::string FirstNonAscii(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            std::size_t end = i + 1;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                ++end;
            return std::string(text.substr(i, end - i));
        }
    }
    return {};
}

}  // namespace

FirefoxCookieStore::FirefoxCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock,
                                       bool utf8)
    : BrowserCookieStore(std::move(databasePath), clock, lock), utf8_(utf8) {}

bool FirefoxCookieStore::CheckSchema(SqlDatabase& database) {
    return CheckSchemaIs(database, "PRAGMA user_version", kSchemaVersion, "moz_cookies", kColumns);
}

bool FirefoxCookieStore::Load(SqlDatabase& database, const std::vector<std::string_view>* domains,
                              CookieSnapshot& snapshot) {
    SqlStatement query(database,
                       ForDomains("SELECT name, value, host, path, expiry, isSecure, isHttpOnly, "
                                  "creationTime FROM moz_cookies WHERE originAttributes = ''",
                                  "host", domains));
    BindDomains(query, domains);
    while (query.Step()) {
        StoredCookie cookie;
        cookie.name = query.Text(0);
        cookie.value = query.Text(1);
        const std::string host = query.Text(2);
        cookie.hostOnly = host.empty() || host[0] != '.';
        cookie.domain = FoldCase(cookie.hostOnly ? host : host.substr(1));
        cookie.path = query.Text(3);
        cookie.expires = query.Int(4) / 1000;
        cookie.secure = query.Int(5) != 0;
        cookie.httpOnly = query.Int(6) != 0;
        cookie.creation = query.Int(7);
        snapshot.Put(std::move(cookie));
    }
    return database.Ok();
}

std::optional<std::string> FirefoxCookieStore::Decode(const std::string& bytes) {
    if (bytes.find(kReplacementCharacter) != std::string::npos)
        return std::nullopt;
    return bytes;
}

bool FirefoxCookieStore::Encode(const std::string& name, const std::string& value,
                                StoredCookie& cookie) {
    if (!utf8_) {
        const std::string character = FirstNonAscii(name + value);
        if (!character.empty()) {
            return Fail(CookieProblem::kFirefoxNeedsUtf8, CookieDetails().Character(character));
        }
    }
    cookie.name = name;
    cookie.value = value;
    return true;
}

bool FirefoxCookieStore::Write(SqlDatabase& database, const CookieChange& change,
                               const StoredCookie* replaced) {
    const StoredCookie& cookie = change.cookie;
    const std::string host = cookie.hostOnly ? cookie.domain : "." + cookie.domain;
    // A new cookie takes the place of an expired one of its key, whose flags it must not inherit.
    if (change.remove || replaced == nullptr) {
        SqlStatement remove(database,
                            "DELETE FROM moz_cookies WHERE name = ?1 AND host = ?2 AND path = ?3 "
                            "AND originAttributes = ''");
        remove.Bind(1, cookie.name).Bind(2, host).Bind(3, cookie.path);
        if (!remove.Run() || change.remove)
            return database.Ok();
    }
    // An existing cookie keeps its creation time (RFC 6265 §5.3 step 11.3), its flags and the
    // schemes it was set from before.
    SqlStatement upsert(
        database,
        "INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry, lastAccessed, "
        "creationTime, isSecure, isHttpOnly, inBrowserElement, sameSite, schemeMap, "
        "isPartitionedAttributeSet, updateTime) "
        "VALUES ('', ?1, ?2, ?3, ?4, ?5, ?6, ?8, 0, 0, 0, ?9, ?7, 0, ?6) "
        "ON CONFLICT (name, host, path, originAttributes) DO UPDATE SET value = excluded.value, "
        "expiry = excluded.expiry, lastAccessed = excluded.lastAccessed, "
        "schemeMap = schemeMap | excluded.schemeMap, updateTime = excluded.updateTime");
    upsert.Bind(1, cookie.name).Bind(2, cookie.value).Bind(3, host).Bind(4, cookie.path);
    upsert.Bind(5, cookie.expires.value_or(0) * 1000).Bind(6, NowMicroseconds());
    upsert.Bind(7, change.secureScheme ? kSchemeHttps : kSchemeHttp).Bind(8, cookie.creation);
    upsert.Bind(9, kSameSiteUnset);
    return upsert.Run();
}

}  // namespace tessel
