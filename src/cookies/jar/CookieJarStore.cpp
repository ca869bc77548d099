#include "cookies/jar/CookieJarStore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cookies/CookieDate.h"
#include "cookies/CookieRecord.h"
#include "cookies/CookieText.h"
#include "cookies/CookieUrl.h"
#include "cookies/CookieVisibility.h"
#include "cookies/CookieWritePlan.h"
#include "cookies/SetCookieData.h"
#include "text/TextCase.h"
#include "text/Utf8.h"

namespace tessel {
namespace {

// The first line curl and the browsers' exporters check for.
constexpr std::string_view kHeader = "# Netscape HTTP Cookie File\n";

// Characters that would end or split a field of a jar line.
bool BreaksJarLine(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; });
}

// Whether bytes hold a control character other than tab, line feed and carriage return. Sixteen
// bytes are looked at a time, as the compiler's vectors: every line of a jar has tabs, so a
// byte-wise scan with an exit per byte was most of the time of reading a large jar.
bool HasControlBytes(std::string_view bytes) {
    using Block = unsigned char __attribute__((vector_size(16)));
    std::size_t at = 0;
    for (; at + sizeof(Block) <= bytes.size(); at += sizeof(Block)) {
        Block block;
        std::memcpy(&block, bytes.data() + at, sizeof block);
        const auto control = (block < 0x20) & (block != '\t') & (block != '\n') & (block != '\r');
        std::uint64_t halves[2];
        static_assert(sizeof control == sizeof halves);
        std::memcpy(halves, &control, sizeof halves);
        if ((halves[0] | halves[1]) != 0)
            return true;
    }
    for (; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            return true;
    }
    return false;
}

// Whether bytes can be a cookies.txt jar that we may rewrite: text without control characters
// other than tabs and line ends (a database or any binary file has them), that has the header
// the jar writers put first or at least one line in the jar's form. An empty file is a new jar.
bool LooksLikeJar(std::string_view bytes) {
    if (bytes.empty())
        return true;
    if (HasControlBytes(bytes))
        return false;
    if (bytes.rfind("# Netscape HTTP Cookie File", 0) == 0 ||
        bytes.rfind("# HTTP Cookie File", 0) == 0)
        return true;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        if (ParseCookieJarLine(bytes.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

// The length of the UTF-8 sequence that starts with lead (1 for a stray byte).
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
}

// The paths a cookie must have to path-match requestPath: "/" and every prefix of it that ends
// before or at a "/", and the whole path.
// Each once, shortest first ("//" in a path would give one twice).
std::vector<std::string_view> CandidatePaths(std::string_view requestPath) {
    std::vector<std::string_view> paths;
    paths.reserve(8);
    const auto add = [&](std::size_t length) {
        if (paths.empty() || paths.back().size() < length)
            paths.push_back(requestPath.substr(0, length));
    };
    for (std::size_t slash = requestPath.find('/'); slash != std::string_view::npos;
         slash = requestPath.find('/', slash + 1)) {
        if (slash > 0)
            add(slash);
        add(slash + 1);
    }
    add(requestPath.size());
    return paths;
}

}  // namespace

CookieJarStore::CookieJarStore(std::string path, Clock& clock, std::unique_ptr<CookieCodec> codec)
    : path_(std::move(path)),
      clock_(clock),
      codec_(std::move(codec)),
      undecodable_(MakeFailure(CookieProblem::kStoredInOtherJarCharset,
                               CookieDetails().Name(CharsetName()))) {}

// A read loads without the lock, as every read does; a batch's LockAndLoad keeps what was read
// only if the file is still the one it was read from.
void CookieJarStore::Prefetch() {
    if (!document_)
        Load();
}

// A batch decides what has expired by the time it began: its cookies are judged alike, and the
// clock is not asked again for each.
std::int64_t CookieJarStore::Now() {
    if (inBatch_ && batchNow_)
        return *batchNow_;
    return ToUnixSeconds(clock_.GetSystemTime());
}

bool CookieJarStore::TakeFileBytes(std::string bytes) {
    document_.reset();
    if (!LooksLikeJar(bytes)) {
        return Fail(CookieProblem::kNotAJar, CookieDetails().Path(path_));
    }
    if (bytes.empty())
        bytes = kHeader;
    document_ = std::make_unique<CookieJarDocument>(std::move(bytes));
    return true;
}

// The document already holds what was written, line for line; reading the bytes back would
// only index the whole jar again.
void CookieJarStore::KeepWrittenDocument() {
    document_->MarkStored();
}

std::string CookieJarStore::CharsetName() const {
    return codec_->IsUtf8() ? "UTF-8" : "Shift_JIS";
}

// The text in the jar's character set; on failure LastFailure names the first character that
// cannot be carried.
std::optional<std::string> CookieJarStore::Encode(std::string_view text) {
    if (std::optional<std::string> encoded = codec_->Encode(text))
        return encoded;
    const CookieProblem unsendable =
        codec_->IsUtf8() ? CookieProblem::kCannotSend : CookieProblem::kCannotSendUseUtf8;
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view character = text.substr(at, SequenceLength(text[at]));
        if (!IsValidUtf8(character)) {
            Fail(CookieProblem::kInvalidBytes);
            return std::nullopt;
        }
        if (!codec_->Encode(character)) {
            Fail(unsendable, CookieDetails().Character(std::string(character)).Name(CharsetName()));
            return std::nullopt;
        }
        at += character.size();
    }
    Fail(CookieProblem::kCannotSendSome, CookieDetails().Name(CharsetName()));
    return std::nullopt;
}

const std::string* CookieJarStore::EncodeName(const std::string& name) {
    if (lastName_.empty() || name != lastName_) {
        lastEncodedName_ = Encode(name);
        lastName_ = name;
        if (!lastEncodedName_) {
            lastName_.clear();  // so that the next call says again why
            return nullptr;
        }
    }
    return &*lastEncodedName_;
}

const std::vector<StoredCookie>& CookieJarStore::Candidates(const CookieUrl& address,
                                                            std::string_view name) {
    CandidatesAnswer& answer = candidates_;
    if (answer.revision == document_->Revision() && answer.name == name &&
        answer.host == address.host && answer.path == address.path) {
        return answer.cookies;
    }
    std::vector<CookieJarDocument::LineIndex> lines;
    const std::vector<std::string_view> paths =
        name.empty() ? std::vector<std::string_view>() : CandidatePaths(address.path);
    for (const std::string_view domain : DomainsAbove(address.host)) {
        if (name.empty()) {
            for (const CookieJarDocument::LineIndex line : document_->CookiesOf(domain))
                lines.push_back(line);
            continue;
        }
        // A read that names its cookie looks up only that cookie's lines, so that it costs what
        // its own cookies cost however many others the host has.
        document_->AppendLinesWithKey(domain, paths, name, lines);
    }
    std::vector<StoredCookie>& cookies = answer.cookies;
    cookies.clear();
    cookies.reserve(lines.size());
    for (const CookieJarDocument::LineIndex line : lines)
        cookies.push_back(ReadCookie(line, !name.empty()));
    answer.revision = document_->Revision();
    answer.host = address.host;
    answer.path = address.path;
    answer.name = name;
    return cookies;
}

StoredCookie CookieJarStore::ReadCookie(CookieJarDocument::LineIndex line, bool named) const {
    const std::optional<CookieJarEntry> entry = document_->Cookie(line);
    StoredCookie cookie;
    cookie.name = entry->name;
    cookie.value = entry->value;
    cookie.domain = FoldCase(entry->domain);
    cookie.hostOnly = !entry->includeSubdomains;
    cookie.path = entry->path;
    cookie.secure = entry->secure;
    cookie.httpOnly = entry->httpOnly;
    if (entry->expires != 0)
        cookie.expires = entry->expires;
    cookie.creation = line;  // file order stands for the order of creation
    cookie.readable = !named || codec_->Decode(cookie.value).has_value();
    return cookie;
}

// A write changes only lines of its own cookie, all of them among the answer's, and appends at
// most one: a line for the address's host and default path. Lines come host first, then by path
// (every path the answer can hold is a prefix of the address's, so longer is later), then in file
// order, and an appended line is the file's last: it goes after the host's lines of paths no
// longer than its own.
void CookieJarStore::KeepCandidatesAfterWrite(
    const Change& change, std::optional<CookieJarDocument::LineIndex> appended) {
    std::vector<StoredCookie>& cookies = candidates_.cookies;
    // A write that appends changes no other line.
    if (!appended) {
        std::erase_if(cookies, [&](const StoredCookie& cookie) {
            return !document_->Cookie(static_cast<CookieJarDocument::LineIndex>(cookie.creation));
        });
        for (StoredCookie& cookie : cookies)
            cookie = ReadCookie(static_cast<CookieJarDocument::LineIndex>(cookie.creation), true);
    }
    if (appended) {
        // The line is the one FormatCookieJarLine made of the change: read without parsing it.
        StoredCookie cookie;
        cookie.name = change.name;
        cookie.value = change.value;
        cookie.domain = change.address.host;
        cookie.path = DefaultCookiePath(change.address.path);
        if (change.expires != 0)
            cookie.expires = change.expires;
        cookie.creation = *appended;
        cookie.readable = codec_->Decode(cookie.value).has_value();
        const auto place =
            std::find_if(cookies.begin(), cookies.end(), [&](const StoredCookie& other) {
                return other.domain != change.address.host ||
                       other.path.size() > cookie.path.size();
            });
        cookies.insert(place, std::move(cookie));
    }
    candidates_.revision = document_->Revision();
}

CookieWritePlan CookieJarStore::Plan(const CookieUrl& address, std::string_view name,
                                     const std::vector<StoredCookie>& cookies) {
    std::vector<const StoredCookie*> named;
    for (const StoredCookie& cookie : cookies) {
        if (cookie.name == name)
            named.push_back(&cookie);
    }
    return PlanCookieWrite(address, named, Now(), undecodable_);
}

std::optional<std::string> CookieJarStore::InternetGetCookie(const std::string& url,
                                                             const std::string& wanted) {
    // A batch holds the jar locked and its pending cookies in memory: reads see those.
    const bool batchHoldsJar = inBatch_ && Locked() && document_;
    if (!batchHoldsJar && !Load())
        return std::nullopt;
    Succeed();
    const std::optional<CookieUrl>& address = LastCookieUrl(url);
    if (!address)
        return std::string();
    const std::string* encodedWanted = wanted.empty() ? nullptr : EncodeName(wanted);
    Succeed();  // a name that cannot be encoded is a cookie that is not there
    const std::string_view wantedBytes = encodedWanted ? *encodedWanted : std::string_view();
    const std::vector<StoredCookie>& cookies = Candidates(*address, wantedBytes);

    // The cookie asked for may be there but not be one a write could replace (another character
    // set, a Secure cookie on http, HttpOnly): then it is left out and LastFailure says why, so
    // that it does not look absent.
    const CookieFailure refusal =
        wantedBytes.empty() ? CookieFailure{} : Plan(*address, wantedBytes, cookies).refusal;
    const bool hidden = static_cast<bool>(refusal);
    if (hidden)
        Fail(refusal);
    std::string text;
    for (const StoredCookie* cookie : CookiesFor(*address, cookies, Now())) {
        if (hidden && cookie->name == wantedBytes)
            continue;
        const std::optional<std::string> name = codec_->Decode(cookie->name);
        const std::optional<std::string> value = codec_->Decode(cookie->value);
        if (!name || !value)
            continue;
        if (!text.empty())
            text += "; ";
        text += *name + "=" + *value;
    }
    return text;
}

std::optional<CookieJarStore::Change> CookieJarStore::Prepare(const std::string& url,
                                                              const std::string& name,
                                                              const std::string& data) {
    const std::optional<CookieUrl>& address = LastCookieUrl(url);
    if (!address) {
        Fail(CookieProblem::kCannotSetAt, CookieDetails().Address(url));
        return std::nullopt;
    }
    const std::optional<SetCookieData> parsed = ParseSetCookieData(data);
    if (!parsed) {
        Fail(CookieProblem::kBadExpiryOrAttribute);
        return std::nullopt;
    }
    if (name.empty() || BreaksJarLine(name) || BreaksJarLine(parsed->value)) {
        Fail(name.empty() ? CookieProblem::kEmptyName : CookieProblem::kTabOrNewline);
        return std::nullopt;
    }
    const std::string* encodedName = EncodeName(name);
    if (!encodedName)
        return std::nullopt;
    std::optional<std::string> encodedValue = Encode(parsed->value);
    if (!encodedValue)
        return std::nullopt;
    const std::size_t size = encodedName->size() + encodedValue->size();
    if (size > kMaxCookieBytes) {
        Fail(CookieProblem::kTooManyBytes,
             CookieDetails().Number(static_cast<std::int64_t>(size)).Limit(kMaxCookieBytes));
        return std::nullopt;
    }

    Change change;
    change.address = *address;
    change.name = *encodedName;
    change.value = std::move(*encodedValue);
    change.expires = parsed->expires.value_or(0);
    change.remove = parsed->expires && *parsed->expires <= Now();
    return change;
}

bool CookieJarStore::Apply(const Change& change) {
    const std::vector<StoredCookie>& cookies = Candidates(change.address, change.name);
    const CookieWritePlan plan = Plan(change.address, change.name, cookies);
    if (plan.refusal)
        return Fail(plan.refusal);
    if (plan.target == nullptr) {
        // A new cookie takes the place of expired lines of its key, which no read sees.
        const std::string path = DefaultCookiePath(change.address.path);
        const std::string line = FormatCookieJarLine(change.address.host, path, change.name,
                                                     change.value, change.expires);
        // They are among the answer's, in file order: its lines of one domain and path are.
        std::vector<CookieJarDocument::LineIndex> dead;
        for (const StoredCookie& cookie : cookies) {
            if (cookie.hostOnly && cookie.domain == change.address.host && cookie.path == path)
                dead.push_back(static_cast<CookieJarDocument::LineIndex>(cookie.creation));
        }
        std::optional<CookieJarDocument::LineIndex> appended;
        if (!change.remove && dead.empty())
            appended = document_->Append(line, CookieJarEntry{.domain = change.address.host,
                                                              .path = path,
                                                              .expires = change.expires,
                                                              .name = change.name,
                                                              .value = change.value});
        else if (!change.remove)
            document_->Replace(dead.front(), line);
        for (std::size_t i = change.remove ? 0 : 1; i < dead.size(); ++i)
            document_->Remove(dead[i]);
        KeepCandidatesAfterWrite(change, appended);
        Succeed();
        return true;
    }
    // The cookie the address reads first takes the value and keeps everything else; copies of
    // it further down (left by another tool) would only confuse the next reader, and go.
    const auto line = static_cast<CookieJarDocument::LineIndex>(plan.target->creation);
    const std::optional<CookieJarEntry> entry = document_->Cookie(line);
    for (const CookieJarDocument::LineIndex copy :
         document_->LinesWithKey(plan.target->domain, entry->path, entry->name)) {
        const std::optional<CookieJarEntry> other = document_->Cookie(copy);
        const bool seen = !other->httpOnly && (!other->secure || change.address.secure) &&
                          codec_->Decode(other->value).has_value();
        if (copy != line && other->includeSubdomains == entry->includeSubdomains && seen)
            document_->Remove(copy);
    }
    if (change.remove)
        document_->Remove(line);
    else
        document_->Replace(line,
                           WithCookieJarValue(document_->Text(line), change.value, change.expires));
    KeepCandidatesAfterWrite(change, std::nullopt);
    Succeed();
    return true;
}

bool CookieJarStore::Store() {
    if (batchStaged_) {
        batchStaged_ = false;
        return Publish();
    }
    if (!document_->Changed())
        return true;
    return Write(document_->Serialize());
}

bool CookieJarStore::InternetSetCookie(const std::string& url, const std::string& name,
                                       const std::string& data) {
    const std::optional<Change> change = Prepare(url, name, data);
    if (!change)
        return false;
    if (inBatch_) {
        if (!Locked() || !document_)
            return FailBatch();
        return Apply(*change);
    }

    if (!LockAndLoad())
        return false;
    const bool stored = Apply(*change) && Store();
    Unlock();
    if (stored)
        Succeed();
    return stored;
}

bool CookieJarStore::FailBatch() {
    if (!batchFailure_)
        return Fail(CookieProblem::kJarGone, CookieDetails().Path(path_));
    return Fail(batchFailure_);
}

void CookieJarStore::BeginWrites() {
    if (inBatch_)
        return;
    inBatch_ = true;
    batchNow_ = ToUnixSeconds(clock_.GetSystemTime());
    batchFailure_ = {};
    if (!LockAndLoad()) {
        batchFailure_ = LastFailure();
        document_.reset();
    }
}

bool CookieJarStore::StageWrites() {
    // A batch that could not begin, or has nothing to write, is left for CommitWrites to say so.
    if (!inBatch_ || batchStaged_ || !Locked() || !document_ || !document_->Changed())
        return true;
    if (!Stage(document_->Pieces()))
        return false;
    batchStaged_ = true;
    return true;
}

void CookieJarStore::CancelWrites() {
    if (!inBatch_)
        return;
    inBatch_ = false;
    if (batchStaged_) {
        batchStaged_ = false;
        Discard();
    }
    document_.reset();  // holds changes the file does not; the next read parses the file anew
    Unlock();
}

bool CookieJarStore::CommitWrites() {
    if (!inBatch_)
        return true;
    inBatch_ = false;
    if (!Locked() || !document_) {
        if (batchStaged_) {
            batchStaged_ = false;
            Discard();
        }
        Unlock();
        return FailBatch();
    }
    const bool stored = Store();
    Unlock();
    if (stored)
        Succeed();
    return stored;
}

std::optional<std::vector<CookieJarDocument::LineIndex>> CookieJarStore::RecordedLines(
    const std::string& url, const std::string& name) {
    const std::optional<CookieUrl>& address = LastCookieUrl(url);
    if (!address) {
        Fail(CookieProblem::kCannotSetAt, CookieDetails().Address(url));
        return std::nullopt;
    }
    const std::string* encoded = EncodeName(name);
    if (!encoded)
        return std::nullopt;
    std::vector<CookieJarDocument::LineIndex> lines;
    for (const StoredCookie& cookie : Candidates(*address, *encoded))
        lines.push_back(static_cast<CookieJarDocument::LineIndex>(cookie.creation));
    std::sort(lines.begin(), lines.end());
    Succeed();
    return lines;
}

std::optional<std::vector<std::string>> CookieJarStore::Record(const std::string& url,
                                                               const std::string& name) {
    const auto lines = RecordedLines(url, name);
    if (!lines)
        return std::nullopt;
    const std::vector<std::size_t> positions = document_->Positions(*lines);
    std::vector<std::string> fields{document_->EndsWithLineFeed() ? "lf" : "nolf"};
    for (std::size_t i = 0; i < lines->size(); ++i) {
        fields.push_back(std::to_string(positions[i]));
        fields.emplace_back(document_->Raw((*lines)[i]));
    }
    return fields;
}

std::optional<std::string> CookieJarStore::RecordCookie(const std::string& url,
                                                        const std::string& name) {
    const bool batchHoldsJar = inBatch_ && Locked() && document_;
    if (!batchHoldsJar && !Load())
        return std::nullopt;
    // The record is written straight from the document: what Record gives, joined.
    const auto lines = RecordedLines(url, name);
    if (!lines)
        return std::nullopt;
    const std::vector<std::size_t> positions = document_->Positions(*lines);
    std::size_t size = 16;
    for (const CookieJarDocument::LineIndex line : *lines)
        size += 16 + document_->Raw(line).size() * 5 / 4;  // tabs and other escapes take three
    std::string record;
    record.reserve(size);
    record = "jar";
    AppendRecordField(record, document_->EndsWithLineFeed() ? "lf" : "nolf");
    for (std::size_t i = 0; i < lines->size(); ++i) {
        AppendRecordField(record, std::to_string(positions[i]));
        AppendRecordField(record, document_->Raw((*lines)[i]));
    }
    return record;
}

namespace {

std::string_view WithoutLineEnding(std::string_view raw) {
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r'))
        raw.remove_suffix(1);
    return raw;
}

// Whether two records hold the same cookie lines, wherever they stand and however they end.
bool SameLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 2; i < a.size(); i += 2) {
        if (WithoutLineEnding(a[i]) != WithoutLineEnding(b[i]))
            return false;
    }
    return true;
}

// The file's bytes as lines with their endings.
std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        lines.emplace_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool ValidRecord(const std::vector<std::string>& fields) {
    if (fields.empty() || fields.size() % 2 == 0)
        return false;
    for (std::size_t i = 1; i < fields.size(); i += 2) {
        if (fields[i].empty() || fields[i].find_first_not_of("0123456789") != std::string::npos ||
            fields[i].size() > 9)
            return false;
    }
    return true;
}

}  // namespace

bool CookieJarStore::Restore(const std::string& url, const std::string& name,
                             const std::vector<std::string>& before,
                             const std::vector<std::string>& written) {
    const std::optional<std::vector<std::string>> current = Record(url, name);
    if (!current)
        return false;
    if (SameLines(*current, before))
        return true;
    if (!SameLines(*current, written)) {
        return Fail(CookieProblem::kChangedSinceWrite);
    }
    std::vector<std::string> lines = SplitLines(document_->Serialize());
    for (std::size_t i = current->size(); i > 1; i -= 2) {
        const std::size_t at = std::stoul((*current)[i - 2]);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (std::size_t i = 1; i < before.size(); i += 2) {
        const std::size_t at = std::min<std::size_t>(std::stoul(before[i]), lines.size());
        if (at == lines.size() && at > 0 && !lines.back().ends_with('\n'))
            lines.back() += '\n';
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), before[i + 1]);
    }
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line;
    if (before[0] == "nolf")
        bytes.erase(WithoutLineEnding(bytes).size());
    document_ = std::make_unique<CookieJarDocument>(std::move(bytes));
    document_->MarkChanged();
    Succeed();
    return true;
}

bool CookieJarStore::RestoreCookie(const std::string& url, const std::string& name,
                                   const std::string& before, const std::string& written) {
    const auto beforeFields = SplitRecord("jar", before);
    const auto writtenFields = SplitRecord("jar", written);
    if (!beforeFields || !writtenFields || !ValidRecord(*beforeFields) ||
        !ValidRecord(*writtenFields)) {
        return Fail(CookieProblem::kRecordNotJars);
    }
    if (inBatch_) {
        if (!Locked() || !document_)
            return FailBatch();
        return Restore(url, name, *beforeFields, *writtenFields);
    }
    if (!LockAndLoad())
        return false;
    const bool restored = Restore(url, name, *beforeFields, *writtenFields) && Store();
    Unlock();
    if (restored)
        Succeed();
    return restored;
}

}  // namespace tessel
