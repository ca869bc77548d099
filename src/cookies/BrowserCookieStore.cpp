#include "cookies/BrowserCookieStore.h"

#include <algorithm>
#include <charconv>

#include "cookies/BrowserSchema.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieRecord.h"
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
        return Fail(CookieProblem::kUnknownStoreVersion,
                    CookieDetails().Name(BrowserName()).Number(found.value_or(0)));
    }
    const std::optional<std::string> missing = MissingColumn(database, table, columns);
    if (!database.Ok())
        return FailFromDatabase(database);
    if (missing) {
        return Fail(CookieProblem::kMissingColumn,
                    CookieDetails().Name(BrowserName()).Item(*missing));
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
        // The browser, when it runs, says so itself; otherwise another program holds the database.
        const CookieFailure running = lock_.InUseReason();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(busyWait_).count();
        if (running)
            return Fail(running);
        return Fail(CookieProblem::kDatabaseBusy,
                    CookieDetails().Name(BrowserName()).Number(seconds));
    }
    return Fail(CookieProblem::kDatabaseUnusable,
                CookieDetails().Name(BrowserName()).System(database.Message()));
}

std::unique_ptr<BrowserCookieStore::Session> BrowserCookieStore::Open(bool forWriting) {
    if (forWriting) {
        const CookieFailure inUse = lock_.InUseReason();
        if (inUse) {
            Fail(inUse);
            return nullptr;
        }
    }
    auto session = std::make_unique<Session>(path_, busyWait_);
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

template <typename Matches>
CookieWritePlan BrowserCookieStore::Plan(const CookieSnapshot& snapshot, const CookieUrl& address,
                                         Matches matches) {
    std::vector<const StoredCookie*> stored;
    for (const StoredCookie* cookie : snapshot.Above(address.host)) {
        if (matches(*cookie))
            stored.push_back(cookie);
    }
    // The planner sees a value the store cannot decode as unreadable.
    std::vector<StoredCookie> named;
    named.reserve(stored.size());
    for (const StoredCookie* cookie : stored) {
        named.push_back(*cookie);
        named.back().readable = cookie->readable && Decode(cookie->value).has_value();
    }
    std::vector<const StoredCookie*> pointers;
    for (const StoredCookie& cookie : named)
        pointers.push_back(&cookie);
    CookieWritePlan plan = PlanCookieWrite(address, pointers, NowSeconds(), UnreadableReason());
    if (plan.target != nullptr)
        plan.target = stored[static_cast<std::size_t>(plan.target - named.data())];
    return plan;
}

std::optional<std::string> BrowserCookieStore::Text(const CookieSnapshot& snapshot,
                                                    const CookieUrl& address,
                                                    const std::string& wanted) {
    // The cookie asked for may be there but not be one a write could replace (undecodable, a
    // Secure cookie on http, HttpOnly): then it is left out and LastFailure says why.
    const CookieFailure refusal =
        wanted.empty() ? CookieFailure{} : Plan(snapshot, address, [&](const StoredCookie& cookie) {
                                               return Decode(cookie.name) == wanted;
                                           }).refusal;
    std::string text;
    for (const StoredCookie* cookie : snapshot.For(address, NowSeconds())) {
        const std::optional<std::string> name = Decode(cookie->name);
        const std::optional<std::string> value =
            cookie->readable ? Decode(cookie->value) : std::nullopt;
        if (!name || !value || (refusal && *name == wanted))
            continue;
        if (!text.empty())
            text += "; ";
        text += *name + "=" + *value;
    }
    if (refusal)
        Fail(refusal);
    else
        Succeed();
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
        Fail(CookieProblem::kNotCookieAddress);
        return std::nullopt;
    }
    const std::optional<SetCookieData> parsed = ParseSetCookieData(data);
    if (!parsed || !parsed->expires) {
        Fail(CookieProblem::kNeedsExpiry, CookieDetails().Name(BrowserName()));
        return std::nullopt;
    }
    if (HasControlCharacter(name) || HasControlCharacter(parsed->value)) {
        Fail(CookieProblem::kControlCharacter);
        return std::nullopt;
    }
    if (name.size() + parsed->value.size() > kMaxCookieBytes) {
        Fail(CookieProblem::kTooLong, CookieDetails().Limit(kMaxCookieBytes));
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
    change.address = *address;
    change.remove = *parsed->expires <= NowSeconds();
    change.secureScheme = address->secure;
    change.port = PortOf(url, address->secure);
    return change;
}

bool BrowserCookieStore::Apply(CookieChange change) {
    StoredCookie& cookie = change.cookie;
    const CookieWritePlan plan = Plan(batch_->snapshot, change.address,
                                      [&](const StoredCookie& c) { return c.name == cookie.name; });
    if (plan.refusal)
        return Fail(plan.refusal);
    const StoredCookie* replaced = plan.target;
    if (replaced != nullptr) {
        cookie.domain = replaced->domain;
        cookie.hostOnly = replaced->hostOnly;
        cookie.path = replaced->path;
        cookie.secure = replaced->secure;
        cookie.creation = replaced->creation;
    } else {
        cookie.creation = NextCreation();
    }
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
            return Fail(failure);
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
        return Fail(failure);
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
        return Fail(failure);
    }
    if (!BeforeCommit(session->database)) {
        const CookieFailure failure = LastFailure();
        session->database.Exec("ROLLBACK");
        return Fail(failure);
    }
    // Closing the connection rolls back a transaction that did not commit.
    if (!session->database.Exec("COMMIT"))
        return FailFromDatabase(session->database);
    Succeed();
    return true;
}

std::optional<std::vector<std::string>> BrowserCookieStore::Record(SqlDatabase& database,
                                                                   const std::string& url,
                                                                   const std::string& name) {
    const std::optional<CookieUrl> address = ParseCookieUrl(url);
    StoredCookie encoded;
    if (!address) {
        Fail(CookieProblem::kNotCookieAddress);
        return std::nullopt;
    }
    if (!Encode(name, std::string(), encoded))
        return std::nullopt;
    const std::vector<std::string_view> domains = DomainsAbove(address->host);
    SqlStatement query(database,
                       ForDomains("SELECT rowid, path, * FROM " + std::string(Table()) + " WHERE " +
                                      std::string(OrdinaryContext()) + " AND name = ?" +
                                      std::to_string(domains.size() * 2 + 1),
                                  HostColumn(), &domains) +
                           " ORDER BY rowid");
    BindDomains(query, &domains);
    query.Bind(static_cast<int>(domains.size() * 2 + 1), encoded.name);
    std::vector<std::string> fields{std::string()};
    while (query.Step()) {
        if (fields[0].empty()) {
            fields[0] = "rowid";
            for (int column = 2; column < query.Columns(); ++column)
                fields[0] += "," + query.ColumnName(column);
        }
        if (!PathMatches(address->path, query.Text(1)))
            continue;
        fields.push_back(query.Value(0));
        for (int column = 2; column < query.Columns(); ++column)
            fields.push_back(query.Value(column));
    }
    if (!database.Ok()) {
        FailFromDatabase(database);
        return std::nullopt;
    }
    Succeed();
    return fields;
}

std::optional<std::string> BrowserCookieStore::RecordCookie(const std::string& url,
                                                            const std::string& name) {
    std::unique_ptr<Session> session;
    if (!inBatch_)
        session = Open(false);
    SqlDatabase* database = inBatch_ ? (batch_ ? &batch_->database : nullptr)
                                     : (session ? &session->database : nullptr);
    if (database == nullptr) {
        if (inBatch_)
            Fail(batchFailure_);
        return std::nullopt;
    }
    std::optional<std::vector<std::string>> fields = Record(*database, url, name);
    if (!fields)
        return std::nullopt;
    // A table with no such row records no column names; any record of rows names them.
    return JoinRecord(BrowserName(), *fields);
}

namespace {

// The rows of a record, each as its values.
std::vector<std::vector<std::string>> Rows(const std::vector<std::string>& fields) {
    const std::size_t columns =
        fields[0].empty()
            ? 1
            : static_cast<std::size_t>(std::count(fields[0].begin(), fields[0].end(), ',')) + 1;
    std::vector<std::vector<std::string>> rows;
    for (std::size_t at = 1; at + columns <= fields.size(); at += columns)
        rows.emplace_back(fields.begin() + static_cast<std::ptrdiff_t>(at),
                          fields.begin() + static_cast<std::ptrdiff_t>(at + columns));
    return rows;
}

std::vector<std::string> Split(const std::string& names) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= names.size();) {
        const std::size_t comma = std::min(names.find(',', start), names.size());
        parts.push_back(names.substr(start, comma - start));
        start = comma + 1;
    }
    return parts;
}

}  // namespace

bool BrowserCookieStore::Restore(const std::string& url, const std::string& name,
                                 const std::vector<std::string>& before,
                                 const std::vector<std::string>& written) {
    SqlDatabase& database = batch_->database;
    const std::optional<std::vector<std::string>> current = Record(database, url, name);
    if (!current)
        return false;
    // Rows compare without the time the browser last sent them.
    const auto same = [&](const std::vector<std::string>& a, const std::vector<std::string>& b) {
        const std::vector<std::vector<std::string>> rowsA = Rows(a), rowsB = Rows(b);
        if (rowsA.size() != rowsB.size())
            return false;
        const std::vector<std::string> names = Split(!a[0].empty() ? a[0] : b[0]);
        for (std::size_t row = 0; row < rowsA.size(); ++row) {
            for (std::size_t column = 0; column < names.size(); ++column) {
                if (names[column] != AccessColumn() &&
                    rowsA[row].at(column) != rowsB[row].at(column))
                    return false;
            }
        }
        return true;
    };
    if (same(*current, before))
        return true;
    if (!same(*current, written)) {
        return Fail(CookieProblem::kChangedSinceWrite);
    }
    SqlStatement remove(database, "DELETE FROM " + std::string(Table()) + " WHERE rowid = ?1");
    for (const std::vector<std::string>& row : Rows(*current))
        remove.BindValue(1, row[0]).Run();
    if (!before[0].empty()) {
        const std::vector<std::string> names = Split(before[0]);
        SqlStatement insert(database, "INSERT INTO " + std::string(Table()) + " (" + before[0] +
                                          ") VALUES (" + Placeholders(1, names.size()) + ")");
        for (const std::vector<std::string>& row : Rows(before)) {
            for (std::size_t column = 0; column < row.size(); ++column)
                insert.BindValue(static_cast<int>(column + 1), row[column]);
            insert.Run();
        }
    }
    if (!database.Ok())
        return FailFromDatabase(database);
    // The batch's snapshot takes the cookies of the name as they now are.
    const CookieUrl address = *ParseCookieUrl(url);
    const std::vector<std::string_view> domains = DomainsAbove(address.host);
    CookieSnapshot fresh;
    if (!Load(database, &domains, fresh))
        return FailFromDatabase(database);
    std::vector<StoredCookie> stale;
    for (const StoredCookie* cookie : batch_->snapshot.Above(address.host))
        stale.push_back(*cookie);
    for (const StoredCookie& cookie : stale)
        batch_->snapshot.Remove(cookie.domain, cookie.hostOnly, cookie.path, cookie.name);
    for (const StoredCookie* cookie : fresh.Above(address.host))
        batch_->snapshot.Put(*cookie);
    Succeed();
    return true;
}

bool BrowserCookieStore::RestoreCookie(const std::string& url, const std::string& name,
                                       const std::string& before, const std::string& written) {
    const auto beforeFields = SplitRecord(BrowserName(), before);
    const auto writtenFields = SplitRecord(BrowserName(), written);
    const auto columnsOf = [](const std::vector<std::string>& fields) {
        return fields.empty() || fields[0].empty() ? std::size_t{0} : Split(fields[0]).size();
    };
    // Column names go into SQL: they are plain names or the record is not ours.
    const auto plain = [](const std::vector<std::string>& fields) {
        return !fields.empty() &&
               fields[0].find_first_not_of(
                   "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_,") ==
                   std::string::npos;
    };
    if (!beforeFields || !writtenFields || !plain(*beforeFields) || !plain(*writtenFields) ||
        (columnsOf(*beforeFields) != 0 && columnsOf(*writtenFields) != 0 &&
         (*beforeFields)[0] != (*writtenFields)[0])) {
        return Fail(CookieProblem::kRecordNotStores, CookieDetails().Name(BrowserName()));
    }
    if (inBatch_) {
        if (!batch_)
            return Fail(batchFailure_);
        return Restore(url, name, *beforeFields, *writtenFields);
    }
    BeginWrites();
    if (!batch_) {
        inBatch_ = false;
        return false;
    }
    if (!Restore(url, name, *beforeFields, *writtenFields)) {
        const CookieFailure failure = LastFailure();
        CancelWrites();
        return Fail(failure);
    }
    return CommitWrites();
}

}  // namespace tessel
