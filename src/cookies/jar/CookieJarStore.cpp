#include "cookies/jar/CookieJarStore.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
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

// Calls look(word) for every eight bytes of text, the last eight overlapping those before them
// (texts shorter than eight have their bytes looked at one by one), until it says true.
template <typename Look, typename LookByte>
bool AnyWord(std::string_view text, Look look, LookByte lookByte) {
    if (text.size() < 8)
        return std::any_of(text.begin(), text.end(), lookByte);
    std::uint64_t word;
    for (std::size_t at = 0; at + 8 < text.size(); at += 8) {
        std::memcpy(&word, text.data() + at, sizeof word);
        if (look(word))
            return true;
    }
    std::memcpy(&word, text.data() + text.size() - 8, sizeof word);
    return look(word);
}

// Characters that would end or split a field of a jar line. Eight bytes are looked at a time,
// and only a word with a byte below 0x0E is looked at closely.
bool BreaksJarLine(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const auto breaks = [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; };
    return AnyWord(
        text,
        [&](std::uint64_t word) {
            if (((word - kOnes * 0x0E) & ~word & kOnes * 0x80) == 0)
                return false;
            char bytes[8];
            std::memcpy(bytes, &word, sizeof bytes);
            return std::any_of(std::begin(bytes), std::end(bytes), breaks);
        },
        breaks);
}

// Whether text is ASCII alone.
bool IsAscii(std::string_view text) {
    return !AnyWord(
        text, [](std::uint64_t word) { return (word & 0x8080808080808080ull) != 0; },
        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Whether a document can be a cookies.txt jar that we may rewrite: text without control
// characters other than tabs and line ends (a database or any binary file has them), that has the
// header the jar writers put first or at least one line in the jar's form.
bool LooksLikeJar(const CookieJarDocument& document) {
    if (document.HasControlBytes())
        return false;
    if (document.LineCount() == 0)
        return true;
    const std::string_view first = document.Raw(0);
    if (first.starts_with("# Netscape HTTP Cookie File") || first.starts_with("# HTTP Cookie File"))
        return true;
    for (std::size_t line = 0; line < document.LineCount(); ++line) {
        if (document.Cookie(static_cast<CookieJarDocument::LineIndex>(line)))
            return true;
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
void CandidatePaths(std::string_view requestPath, std::vector<std::string_view>& paths) {
    paths.clear();
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

void CookieJarStore::StageAheadIfWorth(std::size_t expectedWrites) {
    // Below these the batch is over before the bytes written ahead are on disk, and waiting for
    // them would cost it more than they save.
    constexpr std::size_t kWritesWorthStagingAhead = 500;
    constexpr std::size_t kBytesWorthStagingAhead = 256 << 10;
    const std::string_view loaded = document_->Loaded();
    if (stagingAhead_ || expectedWrites < kWritesWorthStagingAhead ||
        loaded.size() < kBytesWorthStagingAhead)
        return;
    stagingAhead_ = true;
    StageAhead(loaded);
}

void CookieJarStore::EndStagingAhead() {
    if (stagingAhead_) {
        stagingAhead_ = false;
        FinishStagingAhead();
    }
}

void CookieJarStore::DropDocument() {
    EndStagingAhead();
    document_.reset();
}

// A batch decides what has expired by the time it began: its cookies are judged alike, and the
// clock is not asked again for each.
std::int64_t CookieJarStore::Now() {
    if (inBatch_ && batchNow_)
        return *batchNow_;
    return ToUnixSeconds(clock_.GetSystemTime());
}

bool CookieJarStore::TakeFileBytes(std::string bytes) {
    DropDocument();
    if (bytes.empty())
        bytes = kHeader;  // a new jar
    auto document = std::make_unique<CookieJarDocument>(std::move(bytes));
    if (!LooksLikeJar(*document))
        return Fail(CookieProblem::kNotAJar, CookieDetails().Path(path_));
    document_ = std::move(document);
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

bool CookieJarStore::KeepsAscii() {
    if (!keepsAscii_) {
        std::string ascii(0x80, '\0');
        for (std::size_t c = 0; c < ascii.size(); ++c)
            ascii[c] = static_cast<char>(c);
        keepsAscii_ = codec_->Encode(ascii) == ascii && codec_->Decode(ascii) == ascii;
    }
    return *keepsAscii_;
}

const std::optional<std::string>* CookieJarStore::CodecAnswers::Find(std::string_view text) const {
    for (std::size_t i = 0; i < used_; ++i) {
        if (answers_[i].text == text)
            return &answers_[i].answer;
    }
    return nullptr;
}

const std::optional<std::string>& CookieJarStore::CodecAnswers::Keep(
    std::string_view text, std::optional<std::string> answer) {
    Answer& kept = answers_[next_];
    next_ = (next_ + 1) % answers_.size();
    used_ = std::max(used_, next_ == 0 ? answers_.size() : next_);
    kept.text.assign(text);
    kept.answer = std::move(answer);
    return kept.answer;
}

const std::optional<std::string>& CookieJarStore::Decode(std::string_view bytes) {
    if (IsAscii(bytes) && KeepsAscii()) {
        asciiDecoded_.emplace(bytes);
        return asciiDecoded_;
    }
    if (const std::optional<std::string>* kept = decoded_.Find(bytes))
        return *kept;
    return decoded_.Keep(bytes, codec_->Decode(bytes));
}

bool CookieJarStore::Decodable(std::string_view bytes) {
    if (IsAscii(bytes) && KeepsAscii())
        return true;
    if (const std::optional<std::string>* kept = decoded_.Find(bytes))
        return kept->has_value();
    return decoded_.Keep(bytes, codec_->Decode(bytes)).has_value();
}

bool CookieJarStore::Encode(std::string_view text, std::string& encoded) {
    if (IsAscii(text) && KeepsAscii()) {
        encoded.assign(text);
        return true;
    }
    if (const std::optional<std::string>* kept = encoded_.Find(text)) {
        encoded.assign(**kept);
        return true;
    }
    const std::optional<std::string> converted = Encode(text);
    if (!converted)
        return false;
    encoded.assign(*encoded_.Keep(text, converted));
    return true;
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
    if (!nameEncoded_ || name != lastName_) {
        // A name that cannot be encoded is not kept, so that the next call says again why.
        nameEncoded_ = Encode(name, lastEncodedName_);
        if (!nameEncoded_)
            return nullptr;
        lastName_ = name;
    }
    return &lastEncodedName_;
}

std::span<const StoredCookie> CookieJarStore::Candidates(const CookieUrl& address,
                                                         std::string_view name) {
    CandidatesAnswer& answer = candidates_;
    if (answer.revision == document_->Revision() && answer.name == name &&
        answer.host == address.host && answer.path == address.path) {
        return answer.Cookies();
    }
    std::vector<CookieJarDocument::LineIndex>& lines = foundLines_;
    lines.clear();
    if (!name.empty())
        CandidatePaths(address.path, paths_);
    DomainsAbove(address.host, domains_);
    for (const std::string_view domain : domains_) {
        if (name.empty()) {
            for (const CookieJarDocument::LineIndex line : document_->CookiesOf(domain))
                lines.push_back(line);
            continue;
        }
        // A read that names its cookie looks up only that cookie's lines, so that it costs what
        // its own cookies cost however many others the host has.
        document_->AppendLinesWithKey(domain, paths_, name, lines);
    }
    answer.count = 0;
    for (const CookieJarDocument::LineIndex line : lines)
        ReadCookie(line, *document_->Cookie(line), !name.empty(), answer.Add());
    answer.revision = document_->Revision();
    answer.host = address.host;
    answer.path = address.path;
    answer.name = name;
    return answer.Cookies();
}

void CookieJarStore::ReadCookie(CookieJarDocument::LineIndex line, const CookieJarEntry& entry,
                                bool named, StoredCookie& cookie) {
    cookie.name = entry.name;
    cookie.value = entry.value;
    cookie.domain = entry.domain;
    for (char& c : cookie.domain)
        c = FoldChar(c);
    cookie.hostOnly = !entry.includeSubdomains;
    cookie.path = entry.path;
    cookie.secure = entry.secure;
    cookie.httpOnly = entry.httpOnly;
    cookie.expires.reset();
    if (entry.expires != 0)
        cookie.expires = entry.expires;
    cookie.creation = line;  // file order stands for the order of creation
    cookie.readable = !named || Decodable(cookie.value);
}

// A write changes only lines of its own cookie, all of them among the answer's, and appends at
// most one: a line for the address's host and default path. Lines come host first, then by path
// (every path the answer can hold is a prefix of the address's, so longer is later), then in file
// order, and an appended line is the file's last: it goes after the host's lines of paths no
// longer than its own.
void CookieJarStore::KeepCandidatesAfterWrite(
    const Change& change, std::optional<CookieJarDocument::LineIndex> appended) {
    CandidatesAnswer& answer = candidates_;
    std::vector<StoredCookie>& cookies = answer.cookies;
    // A write that appends changes no other line.
    if (!appended) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < answer.count; ++i) {
            const auto line = static_cast<CookieJarDocument::LineIndex>(cookies[i].creation);
            const std::optional<CookieJarEntry> entry = document_->Cookie(line);
            if (!entry)
                continue;
            if (kept != i)
                std::swap(cookies[kept], cookies[i]);
            ReadCookie(line, *entry, true, cookies[kept++]);
        }
        answer.count = kept;
    }
    if (appended) {
        // The line is the one FormatCookieJarLine made of the change: read without parsing it.
        StoredCookie& cookie = answer.Add();
        cookie.name = change.name;
        cookie.value = change.value;
        cookie.domain = change.address.host;
        cookie.hostOnly = true;
        cookie.path = change.path;
        cookie.secure = false;
        cookie.httpOnly = false;
        cookie.expires.reset();
        if (change.expires != 0)
            cookie.expires = change.expires;
        cookie.creation = *appended;
        cookie.readable = Decodable(cookie.value);
        const auto last = cookies.begin() + static_cast<std::ptrdiff_t>(answer.count - 1);
        const auto place = std::find_if(cookies.begin(), last, [&](const StoredCookie& other) {
            return other.domain != change.address.host || other.path.size() > cookie.path.size();
        });
        std::rotate(place, last, last + 1);
    }
    answer.revision = document_->Revision();
}

CookieWritePlan CookieJarStore::Plan(const CookieUrl& address, std::string_view name,
                                     std::span<const StoredCookie> cookies) {
    std::vector<const StoredCookie*>& named = named_;
    named.clear();
    for (const StoredCookie& cookie : cookies) {
        if (cookie.name == name)
            named.push_back(&cookie);
    }
    if (named.empty())
        return {};  // a new cookie, which nothing keeps from being written
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
    const std::span<const StoredCookie> cookies = Candidates(*address, wantedBytes);
    if (cookies.empty())
        return std::string();  // none to send, and none of the name to hide

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
        const std::optional<std::string> name = Decode(cookie->name);
        const std::optional<std::string>& value = Decode(cookie->value);
        if (!name || !value)
            continue;
        if (!text.empty())
            text += "; ";
        text.append(*name).append(1, '=').append(*value);
    }
    return text;
}

bool CookieJarStore::Prepare(const std::string& url, const std::string& name,
                             const std::string& data) {
    const std::optional<CookieUrl>& address = LastCookieUrl(url);
    if (!address)
        return Fail(CookieProblem::kCannotSetAt, CookieDetails().Address(url));
    const std::optional<SetCookieFields> parsed = ReadSetData(data);
    if (!parsed)
        return Fail(CookieProblem::kBadExpiryOrAttribute);
    if (name.empty() || BreaksJarLine(name) || BreaksJarLine(parsed->value))
        return Fail(name.empty() ? CookieProblem::kEmptyName : CookieProblem::kTabOrNewline);
    const std::string* encodedName = EncodeName(name);
    if (!encodedName)
        return false;
    Change& change = change_;
    if (!Encode(parsed->value, change.value))
        return false;
    const std::size_t size = encodedName->size() + change.value.size();
    if (size > kMaxCookieBytes) {
        return Fail(CookieProblem::kTooManyBytes,
                    CookieDetails().Number(static_cast<std::int64_t>(size)).Limit(kMaxCookieBytes));
    }
    change.address = *address;
    change.path = DefaultCookiePathView(address->path);
    change.name = *encodedName;
    change.expires = parsed->expires.value_or(0);
    change.remove = parsed->expires && *parsed->expires <= Now();
    return true;
}

std::optional<SetCookieFields> CookieJarStore::ReadSetData(std::string_view data) {
    const std::size_t semicolon = data.find(';');
    if (semicolon == std::string_view::npos)
        return ReadSetCookieData(data);
    const std::string_view attributes = data.substr(semicolon);
    if (!attributesRead_ || attributes != lastAttributes_) {
        const std::optional<SetCookieFields> parsed = ReadSetCookieData(data);
        if (!parsed)
            return std::nullopt;
        lastAttributes_.assign(attributes);
        lastExpires_ = parsed->expires;
        attributesRead_ = true;
        return parsed;
    }
    std::optional<SetCookieFields> parsed = ReadSetCookieData(data.substr(0, semicolon));
    parsed->expires = lastExpires_;
    return parsed;
}

bool CookieJarStore::Apply(const Change& change) {
    const std::span<const StoredCookie> cookies = Candidates(change.address, change.name);
    const CookieWritePlan plan = Plan(change.address, change.name, cookies);
    if (plan.refusal)
        return Fail(plan.refusal);
    if (plan.target == nullptr) {
        // A new cookie takes the place of expired lines of its key, which no read sees.
        const std::string& path = change.path;
        std::string& line = formattedLine_;
        FormatCookieJarLine(line, change.address.host, path, change.name, change.value,
                            change.expires);
        // They are among the answer's, in file order: its lines of one domain and path are.
        std::vector<CookieJarDocument::LineIndex>& dead = deadLines_;
        dead.clear();
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
                          Decodable(other->value);
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
    EndStagingAhead();  // a write in one step has no use for it
    return Write(document_->Serialize());
}

bool CookieJarStore::InternetSetCookie(const std::string& url, const std::string& name,
                                       const std::string& data) {
    if (!Prepare(url, name, data))
        return false;
    if (inBatch_) {
        if (!Locked() || !document_)
            return FailBatch();
        return Apply(change_);
    }

    if (!LockAndLoad())
        return false;
    const bool stored = Apply(change_) && Store();
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
    const std::size_t expected = std::exchange(expectedWrites_, 0);
    if (!LockAndLoad()) {
        batchFailure_ = LastFailure();
        DropDocument();
        return;
    }
    StageAheadIfWorth(expected);
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
    DropDocument();  // holds changes the file does not; the next read parses the file anew
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
        EndStagingAhead();
        Unlock();
        return FailBatch();
    }
    const bool stored = Store();
    EndStagingAhead();
    Unlock();
    if (stored)
        Succeed();
    return stored;
}

bool CookieJarStore::RecordedLines(const std::string& url, const std::string& name) {
    const std::optional<CookieUrl>& address = LastCookieUrl(url);
    if (!address)
        return Fail(CookieProblem::kCannotSetAt, CookieDetails().Address(url));
    const std::string* encoded = EncodeName(name);
    if (!encoded)
        return false;
    std::vector<CookieJarDocument::LineIndex>& lines = recordedLines_;
    lines.clear();
    for (const StoredCookie& cookie : Candidates(*address, *encoded))
        lines.push_back(static_cast<CookieJarDocument::LineIndex>(cookie.creation));
    std::sort(lines.begin(), lines.end());
    Succeed();
    return true;
}

std::optional<std::vector<std::string>> CookieJarStore::Record(const std::string& url,
                                                               const std::string& name) {
    if (!RecordedLines(url, name))
        return std::nullopt;
    std::vector<std::string> fields{document_->EndsWithLineFeed() ? "lf" : "nolf"};
    for (const CookieJarDocument::LineIndex line : recordedLines_) {
        fields.push_back(std::to_string(document_->Position(line)));
        fields.emplace_back(document_->Raw(line));
    }
    return fields;
}

std::optional<std::string> CookieJarStore::RecordCookie(const std::string& url,
                                                        const std::string& name) {
    const bool batchHoldsJar = inBatch_ && Locked() && document_;
    if (!batchHoldsJar && !Load())
        return std::nullopt;
    // The record is written straight from the document: what Record gives, joined.
    if (!RecordedLines(url, name))
        return std::nullopt;
    // The flag and the places are plain text, which the record keeps as it is.
    std::string record = document_->EndsWithLineFeed() ? "jar lf" : "jar nolf";
    if (!recordedLines_.empty()) {
        std::size_t size = 16;
        for (const CookieJarDocument::LineIndex line : recordedLines_)
            size += 96 + document_->Raw(line).size() * 3;  // room to escape every byte
        record.reserve(size);
    }
    for (const CookieJarDocument::LineIndex line : recordedLines_) {
        char digits[24] = {' '};
        const std::to_chars_result position =
            std::to_chars(std::begin(digits) + 1, std::end(digits), document_->Position(line));
        record.append(std::begin(digits), position.ptr);
        AppendRecordField(record, document_->Raw(line));
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
    DropDocument();
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
