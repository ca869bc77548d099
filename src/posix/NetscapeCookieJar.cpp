#include "posix/NetscapeCookieJar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "board/CookieDate.h"
#include "posix/AtomicFile.h"
#include "cookies/CookieUrl.h"
#include "posix/PrivateDirectory.h"
#include "posix/ReadFile.h"
#include "posix/SetCookieData.h"

namespace tessel {
namespace {

// The first line curl and the browsers' exporters check for.
constexpr std::string_view kHeader = "# Netscape HTTP Cookie File\n";

// Characters that would end or split a field of a jar line.
bool BreaksJarLine(std::string_view text) {
    return text.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos;
}

// Jars of other tools can be large, but not this large.
constexpr std::int64_t kMaxJarSize = std::int64_t{1} << 30;

}  // namespace

NetscapeCookieJar::NetscapeCookieJar(std::string path, Clock& clock, CookieCharset charset)
    : path_(std::move(path)),
      lockPath_(path_ + ".lock"),
      clock_(clock),
      charset_(charset),
      converter_(charset == CookieCharset::kCp932 ? Encoding::kCp932 : Encoding::kUtf8) {}

std::int64_t NetscapeCookieJar::Now() {
    return ToUnixSeconds(clock_.GetSystemTime());
}

bool NetscapeCookieJar::Load() {
    struct stat status {};
    if (stat(path_.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            document_.reset();
            return false;
        }
        if (!document_ || stamp_) {
            document_ = std::make_unique<CookieJarDocument>(std::string(kHeader));
            stamp_.reset();
        }
        return true;
    }
    if (document_ && stamp_ && *stamp_ == FileStamp::Of(status))
        return true;

    FileStamp stamp;
    std::string bytes;
    if (ReadWholeFile(path_, kMaxJarSize, &bytes, &stamp)) {
        document_.reset();
        return false;
    }
    if (bytes.empty())
        bytes = kHeader;
    document_ = std::make_unique<CookieJarDocument>(std::move(bytes));
    stamp_ = stamp;
    return true;
}

bool NetscapeCookieJar::LockAndLoad() {
    const std::string directory = std::filesystem::path(path_).parent_path().string();
    if (MakePrivateDirectories(directory) || lock_.Acquire(lockPath_))
        return false;
    if (Load())
        return true;
    lock_.Release();
    return false;
}

std::optional<std::string> NetscapeCookieJar::Decode(std::string_view bytes) {
    if (charset_ == CookieCharset::kUtf8) {
        if (!IsValidUtf8(bytes))
            return std::nullopt;
        return std::string(bytes);
    }
    // Windows-31J has no U+FFFD, so one in the result stands for bytes that are not Windows-31J.
    std::string text = converter_.ToUtf8(bytes);
    if (text.find("\xEF\xBF\xBD") != std::string::npos)
        return std::nullopt;
    return text;
}

std::optional<std::string> NetscapeCookieJar::InternetGetCookie(
    const std::string& url, [[maybe_unused]] const std::string& wanted) {
    // A batch holds the jar locked and its pending cookies in memory: reads see those.
    const bool batchHoldsJar = inBatch_ && lock_.Held() && document_;
    if (!batchHoldsJar && !Load())
        return std::nullopt;
    const std::optional<CookieUrl> address = ParseCookieUrl(url);
    if (!address)
        return std::string();

    struct Match {
        std::size_t pathLength;
        CookieJarDocument::LineIndex line;
        std::string text;
    };
    std::vector<Match> matches;
    const std::int64_t now = Now();
    // The cookies that can reach a host are those of the host and of each domain above it.
    for (std::size_t start = 0; start != std::string::npos;) {
        const std::string_view domain = std::string_view(address->host).substr(start);
        for (const CookieJarDocument::LineIndex line : document_->CookiesOf(domain)) {
            const std::optional<CookieJarEntry> entry = document_->Cookie(line);
            const bool domainMatch =
                entry->includeSubdomains ? DomainMatches(address->host, domain) : start == 0;
            if (!domainMatch || !PathMatches(address->path, entry->path) ||
                (entry->secure && !address->secure) ||
                (entry->expires != 0 && entry->expires <= now)) {
                continue;
            }
            const std::optional<std::string> name = Decode(entry->name);
            const std::optional<std::string> value = Decode(entry->value);
            if (!name || !value)
                continue;
            matches.push_back({entry->path.size(), line, *name + "=" + *value});
        }
        start = address->host.find('.', start);
        if (start != std::string::npos)
            ++start;
    }

    std::sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
        return a.pathLength != b.pathLength ? a.pathLength > b.pathLength : a.line < b.line;
    });
    std::string text;
    for (const Match& match : matches) {
        if (!text.empty())
            text += "; ";
        text += match.text;
    }
    return text;
}

std::optional<NetscapeCookieJar::Change> NetscapeCookieJar::Prepare(const std::string& url,
                                                                    const std::string& name,
                                                                    const std::string& data) {
    const std::optional<CookieUrl> address = ParseCookieUrl(url);
    const std::optional<SetCookieData> parsed = ParseSetCookieData(data);
    if (!address || !parsed || name.empty() || BreaksJarLine(name) ||
        BreaksJarLine(parsed->value) || BreaksJarLine(address->host) ||
        BreaksJarLine(address->path)) {
        return std::nullopt;
    }
    std::optional<std::string> encodedName = converter_.FromUtf8(name);
    std::optional<std::string> encodedValue = converter_.FromUtf8(parsed->value);
    if (!encodedName || !encodedValue)
        return std::nullopt;

    Change change;
    change.host = address->host;
    change.path = DefaultCookiePath(address->path);
    change.name = std::move(*encodedName);
    change.value = std::move(*encodedValue);
    change.expires = parsed->expires.value_or(0);
    change.remove = parsed->expires && *parsed->expires <= Now();
    return change;
}

bool NetscapeCookieJar::Apply(const Change& change) {
    const std::vector<CookieJarDocument::LineIndex> lines =
        document_->LinesWithKey(change.host, change.path, change.name);
    // RFC 6265 §5.3 step 11: a cookie set from outside HTTP never replaces an HttpOnly one.
    for (const CookieJarDocument::LineIndex line : lines) {
        if (document_->Cookie(line)->httpOnly)
            return false;
    }
    std::size_t first = 0;
    if (!change.remove) {
        const std::string text = FormatCookieJarLine(change.host, change.path, change.name,
                                                     change.value, change.expires);
        if (lines.empty()) {
            document_->Append(text);
        } else {
            document_->Replace(lines[0], text);
            first = 1;  // a copy another tool left further down would shadow the new value
        }
    }
    for (std::size_t i = first; i < lines.size(); ++i)
        document_->Remove(lines[i]);
    return true;
}

bool NetscapeCookieJar::Store() {
    if (!document_->Changed())
        return true;
    std::string bytes = document_->Serialize();

    // The jar holds passwords: a new one is private from the start.
    if (WriteFileAtomically(path_, bytes, 0600)) {
        document_.reset();  // holds changes the file does not
        stamp_.reset();
        return false;
    }

    struct stat status {};
    if (stat(path_.c_str(), &status) == 0) {
        document_ = std::make_unique<CookieJarDocument>(std::move(bytes));
        stamp_ = FileStamp::Of(status);
    } else {
        document_.reset();
        stamp_.reset();
    }
    return true;
}

bool NetscapeCookieJar::InternetSetCookie(const std::string& url, const std::string& name,
                                          const std::string& data) {
    const std::optional<Change> change = Prepare(url, name, data);
    if (!change)
        return false;
    if (inBatch_)
        return lock_.Held() && document_ && Apply(*change);

    if (!LockAndLoad())
        return false;
    const bool stored = Apply(*change) && Store();
    lock_.Release();
    return stored;
}

void NetscapeCookieJar::BeginWrites() {
    if (inBatch_)
        return;
    inBatch_ = true;
    if (!LockAndLoad())
        document_.reset();
}

void NetscapeCookieJar::CancelWrites() {
    if (!inBatch_)
        return;
    inBatch_ = false;
    document_.reset();  // holds changes the file does not; the next read parses the file anew
    stamp_.reset();
    lock_.Release();
}

bool NetscapeCookieJar::CommitWrites() {
    if (!inBatch_)
        return true;
    inBatch_ = false;
    const bool stored = lock_.Held() && document_ && Store();
    lock_.Release();
    return stored;
}

}  // namespace tessel
