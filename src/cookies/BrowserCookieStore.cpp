#include "cookies/BrowserCookieStore.h"

#include <algorithm>
#include <charconv>

#include "cookies/BrowserSchema.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieText.h"
#include "cookies/CookieVisibility.h"
#include "cookies/SetCookieData.h"

namespace tessel {
namespace {

// The port a request to url goes to: the one written after the host, or the scheme's own.
int PortOf(std::string_view url, bool secure) {
    const int standard = secure ? 443 : 80;
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return standard;
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/\\?#"));
    authority.remove_prefix(
        authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    const std::size_t colon = authority.rfind(':');
    if (colon == std::string_view::npos || authority.find(']', colon) != std::string_view::npos)
        return standard;
    int port = 0;
    const std::string_view digits = authority.substr(colon + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return error == std::errc() && end == digits.data() + digits.size() && !digits.empty()
               ? port
               : standard;
}

}  // namespace

BrowserCookieStore::BrowserCookieStore(std::string databasePath, Clock& clock, BrowserLock& lock)
    : path_(std::move(databasePath)), clock_(clock), lock_(lock) {}

std::int64_t BrowserCookieStore::NowSeconds() {
    return ToUnixSeconds(clock_.GetSystemTime());
}

std::int64_t BrowserCookieStore::NowMicroseconds() {
    const SystemTime now = clock_.GetSystemTime();
    return ToUnixSeconds(now) * 1000000 + std::int64_t{now.milliseconds} * 1000;
}

std::int64_t BrowserCookieStore::NextCreation() {
    lastCreation_ = std::max(NowMicroseconds(), lastCreation_ + 1);
    return lastCreation_;
}

bool BrowserCookieStore::CheckSchemaIs(SqlDatabase& database, std::string_view versionQuery,
                                       std::int64_t version, std::string_view table,
                                       std::span<const std::string_view> columns) {
    const std::optional<std::int64_t> found = QueryInteger(database, versionQuery);
    if (!database.Ok())
        return FailFromDatabase(database);
    if (found != version) {
        return Fail(CookieFailureKind::kStoreUnusable,
                    "この " + BrowserName() + " のクッキーの形式（版 " +
                        std::to_string(found.value_or(0)) + "）には対応していません");
    }
    const std::optional<std::string> missing = MissingColumn(database, table, columns);
    if (!database.Ok())
        return FailFromDatabase(database);
    if (missing) {
        return Fail(CookieFailureKind::kStoreUnusable,
                    BrowserName() + " のクッキーの表に列 " + *missing + " がありません");
    }
    return true;
}

std::string BrowserCookieStore::ForDomains(std::string sql, std::string_view hostColumn,
                                           const std::vector<std::string_view>* domains) {
    if (domains != nullptr) {
        sql += " AND " + std::string(hostColumn) + " IN (" + Placeholders(1, domains->size() * 2) +
               ")";
    }
    return sql;
}

void BrowserCookieStore::BindDomains(SqlStatement& query,
                                     const std::vector<std::string_view>* domains) {
    if (domains == nullptr)
        return;
    int index = 1;
    for (const std::string_view domain : *domains) {
        query.Bind(index++, domain);
        query.Bind(index++, "." + std::string(domain));
    }
}

bool BrowserCookieStore::FailFromDatabase(const SqlDatabase& database) {
    if (database.Status() == SqlStatus::kBusy) {
        return Fail(CookieFailureKind::kStoreBusy,
                    BrowserName() + " がクッキーのデータベースを使っています。" + BrowserName() +
                        " を終了してからやり直してください");
    }
    return Fail(CookieFailureKind::kStoreUnusable,
                BrowserName() + " のクッキーのデータベースを使えません: " + database.Message());
}

std::unique_ptr<BrowserCookieStore::Session> BrowserCookieStore::Open(bool forWriting) {
    if (forWriting) {
        const std::string reason = lock_.InUseReason();
        if (!reason.empty()) {
            Fail(CookieFailureKind::kStoreBusy, reason);
            return nullptr;
        }
    }
    auto session = std::make_unique<Session>(path_);
    if (!session->database.Ok()) {
        FailFromDatabase(session->database);
        return nullptr;
    }
    if (!CheckSchema(session->database))
        return nullptr;
    return session;
}

bool BrowserCookieStore::CheckWritable() {
    if (!Open(true))
        return false;
    Succeed();
    return true;
}

std::optional<std::string> BrowserCookieStore::Text(const CookieSnapshot& snapshot,
                                                    const CookieUrl& address,
                                                    const std::string& wanted) {
    std::string text;
    bool wantedUnreadable = false;
    for (const StoredCookie* cookie : snapshot.For(address, NowSeconds())) {
        const std::optional<std::string> name = Decode(cookie->name);
        const std::optional<std::string> value =
            cookie->readable ? Decode(cookie->value) : std::nullopt;
        if (!name || !value) {
            wantedUnreadable = wantedUnreadable || (name && *name == wanted && !wanted.empty());
            continue;
        }
        if (!text.empty())
            text += "; ";
        text += *name + "=" + *value;
    }
    if (wantedUnreadable && !FindCookieValue(text, wanted)) {
        Fail(CookieFailureKind::kUnreadable, UnreadableReason());
    } else {
        Succeed();
    }
    return text;
}

std::optional<std::string> BrowserCookieStore::InternetGetCookie(const std::string& url,
                                                                 const std::string& name) {
    const std::optional<CookieUrl> address = ParseCookieUrl(url);
    if (!address) {
        Succeed();
        return std::string();
    }
    if (inBatch_ && batch_)
        return Text(batch_->snapshot, *address, name);

    const std::unique_ptr<Session> session = Open(false);
    if (!session)
        return std::nullopt;
    const std::vector<std::string_view> domains = DomainsAbove(address->host);
    if (!Load(session->database, &domains, session->snapshot)) {
        if (!session->database.Ok())
            FailFromDatabase(session->database);
        return std::nullopt;
    }
    return Text(session->snapshot, *address, name);
}

std::optional<CookieChange> BrowserCookieStore::Prepare(const std::string& url,
                                                        const std::string& name,
                                                        const std::string& data) {
    const std::optional<CookieUrl> address = ParseCookieUrl(url);
    if (!address || name.empty()) {
        Fail(CookieFailureKind::kBadAddress, "クッキーを設定できるアドレスではありません");
        return std::nullopt;
    }
    const std::optional<SetCookieData> parsed = ParseSetCookieData(data);
    if (!parsed || !parsed->expires) {
        Fail(CookieFailureKind::kStoreUnusable,
             BrowserName() + " に保存できる形のクッキーではありません（有効期限が必要です）");
        return std::nullopt;
    }
    if (HasControlCharacter(name) || HasControlCharacter(parsed->value)) {
        Fail(CookieFailureKind::kBadCharacter, "クッキーに制御文字は書き込めません");
        return std::nullopt;
    }
    if (name.size() + parsed->value.size() > kMaxCookieBytes) {
        Fail(CookieFailureKind::kTooLong, "クッキーが長すぎます（名前と値で 4096 バイトまで）");
        return std::nullopt;
    }
    CookieChange change;
    StoredCookie& cookie = change.cookie;
    if (!Encode(name, parsed->value, cookie))
        return std::nullopt;
    cookie.domain = address->host;
    cookie.hostOnly = true;
    cookie.path = DefaultCookiePath(address->path);
    cookie.expires = parsed->expires;
    change.remove = *parsed->expires <= NowSeconds();
    change.secureScheme = address->secure;
    change.port = PortOf(url, address->secure);
    return change;
}

bool BrowserCookieStore::Apply(CookieChange change) {
    StoredCookie& cookie = change.cookie;
    const StoredCookie* replaced =
        batch_->snapshot.Find(cookie.domain, cookie.hostOnly, cookie.path, cookie.name);
    // RFC 6265 §5.3 step 11: a cookie set from outside HTTP never replaces an HttpOnly one.
    if (replaced != nullptr && replaced->httpOnly) {
        return Fail(CookieFailureKind::kStoreUnusable,
                    "同じ名前の HttpOnly クッキーがあるため、置き換えられません");
    }
    cookie.creation = replaced != nullptr ? replaced->creation : NextCreation();
    if (!Write(batch_->database, change, replaced))
        return batch_->database.Ok() ? false : FailFromDatabase(batch_->database);
    if (change.remove) {
        batch_->snapshot.Remove(cookie.domain, cookie.hostOnly, cookie.path, cookie.name);
    } else {
        batch_->snapshot.Put(std::move(cookie));
    }
    Succeed();
    return true;
}

bool BrowserCookieStore::InternetSetCookie(const std::string& url, const std::string& name,
                                           const std::string& data) {
    const std::optional<CookieChange> change = Prepare(url, name, data);
    if (!change)
        return false;
    if (inBatch_) {
        if (!batch_) {
            const CookieFailure failure = batchFailure_;
            return Fail(failure.kind, failure.reason, failure.character);
        }
        return Apply(*change);
    }
    BeginWrites();
    if (!batch_) {
        inBatch_ = false;
        return false;
    }
    if (!Apply(*change)) {
        const CookieFailure failure = LastFailure();
        CancelWrites();
        return Fail(failure.kind, failure.reason, failure.character);
    }
    return CommitWrites();
}

void BrowserCookieStore::BeginWrites() {
    if (inBatch_)
        return;
    inBatch_ = true;
    batch_ = Open(true);
    if (batch_ && !written_) {
        written_ = BeforeFirstWrite(batch_->database);
        if (!written_)
            batch_.reset();
    }
    if (batch_ && (!batch_->database.Exec("BEGIN IMMEDIATE") ||
                   !Load(batch_->database, nullptr, batch_->snapshot))) {
        FailFromDatabase(batch_->database);
        batch_.reset();
    }
    if (batch_) {
        BatchStarted(batch_->database);
        Succeed();
    }
    batchFailure_ = LastFailure();
}

void BrowserCookieStore::CancelWrites() {
    if (!inBatch_)
        return;
    inBatch_ = false;
    if (batch_)
        batch_->database.Exec("ROLLBACK");
    batch_.reset();
}

bool BrowserCookieStore::CommitWrites() {
    if (!inBatch_)
        return true;
    inBatch_ = false;
    const std::unique_ptr<Session> session = std::move(batch_);
    if (!session) {
        const CookieFailure failure = batchFailure_;
        return Fail(failure.kind, failure.reason, failure.character);
    }
    if (!BeforeCommit(session->database)) {
        const CookieFailure failure = LastFailure();
        session->database.Exec("ROLLBACK");
        return Fail(failure.kind, failure.reason, failure.character);
    }
    // Closing the connection rolls back a transaction that did not commit.
    if (!session->database.Exec("COMMIT"))
        return FailFromDatabase(session->database);
    Succeed();
    return true;
}

}  // namespace tessel
