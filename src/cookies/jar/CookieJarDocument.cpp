#include "cookies/jar/CookieJarDocument.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/TextCase.h"

namespace tessel {
namespace {

// Texts are hashed eight bytes at a time, the last eight (which may overlap the ones before)
// standing for the tail: every line of the jar is hashed at load. Domains are hashed folded to
// lower case, so that letter case does not split them: setting bit 5 of every byte folds letters
// and may make other domains meet, which every walk of a chain checks anyway.
template <std::uint64_t kFold>
inline __attribute__((always_inline)) std::uint64_t WordHash(std::string_view text) {
    constexpr std::uint64_t kPrime = 0x100000001B3ull;
    std::uint64_t hash = 14695981039346656037ull ^ text.size();
    const auto mix = [&](std::uint64_t word) {
        hash = (hash ^ (word | kFold)) * kPrime;
        hash ^= hash >> 29;
    };
    if (text.size() >= 8) {
        std::size_t at = 0;
        for (; at + 8 < text.size(); at += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, 8);
            mix(word);
        }
        std::uint64_t last;
        std::memcpy(&last, text.data() + text.size() - 8, 8);
        mix(last);
    } else {
        std::uint64_t tail = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            tail |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
        mix(tail);
    }
    // The tables use the hash as it is: its low bits must depend on every byte.
    hash ^= hash >> 32;
    hash *= 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}

inline __attribute__((always_inline)) std::uint64_t DomainHash(std::string_view domain) {
    return WordHash<0x2020202020202020ull>(domain);
}

// Paths and names are hashed as they are.
std::uint64_t TextHash(std::string_view text) {
    return WordHash<0>(text);
}

std::uint64_t Combine(std::uint64_t hash, std::uint64_t part) {
    return hash ^ (part + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2));
}

// A cookie's lines are indexed by domain and name: its paths are few, and a look-up of every path
// an address may send is then one look-up.
std::uint64_t KeyHash(std::uint64_t domainHash, std::string_view name) {
    return Combine(domainHash, TextHash(name));
}

#if defined(__SSE2__)
// The line feeds of the sixteen bytes at bytes, a bit each, the first lowest. Each byte is also
// folded into lowest, which stays at 0x20 or above while no byte is a control character other
// than a tab or a line end: those are made 0xFF first.
inline __attribute__((always_inline)) std::uint64_t LineFeedsOfBlock(const char* bytes,
                                                                     __m128i& lowest) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i feeds = _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'));
    // A tab (9) and a carriage return (13), and nothing else, are 13 with bit 2 set.
    const __m128i tabOrReturn =
        _mm_cmpeq_epi8(_mm_or_si128(block, _mm_set1_epi8(4)), _mm_set1_epi8(13));
    lowest = _mm_min_epu8(lowest, _mm_or_si128(block, _mm_or_si128(feeds, tabOrReturn)));
    return static_cast<unsigned>(_mm_movemask_epi8(feeds));
}
#endif

// Where the first tab of the length bytes at text stands, length for none; end is where the
// readable bytes end. A line's domain field is short: thirty-two bytes looked at together find
// its end without a call.
inline __attribute__((always_inline)) std::size_t FirstTab(const char* text, std::size_t length,
                                                           const char* end) {
#if defined(__SSE2__)
    if (end - text >= 32) {
        const __m128i tab = _mm_set1_epi8('\t');
        const auto low = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), tab)));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16)), tab)));
        const std::uint32_t tabs = low | (high << 16);
        if (tabs != 0)
            return std::min<std::size_t>(static_cast<std::size_t>(std::countr_zero(tabs)), length);
        if (length <= 32)
            return length;
    }
#else
    (void)end;
#endif
    const void* tab = std::memchr(text, '\t', length);
    return tab == nullptr ? length : static_cast<std::size_t>(static_cast<const char*>(tab) - text);
}

std::uint64_t NextRevision() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace

inline std::pair<CookieJarDocument::LineIndex*, bool> CookieJarDocument::Heads::TryEmplace(
    std::uint64_t key, LineIndex line) {
    if (used_ >= limit_)
        Grow();
    key = Stored(key);
    const std::size_t mask = mask_;
    for (std::size_t at = key & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.key == key)
            return {&slot.line, false};
        if (slot.key == 0) {
            slot = {key, line};
            ++used_;
            return {&slot.line, true};
        }
    }
}

const CookieJarDocument::LineIndex* CookieJarDocument::Heads::Find(std::uint64_t key) const {
    if (slots_.empty())
        return nullptr;
    key = Stored(key);
    const std::size_t mask = mask_;
    for (std::size_t at = key & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.key == key)
            return &slot.line;
        if (slot.key == 0)
            return nullptr;
    }
}

void CookieJarDocument::Heads::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
    mask_ = slots_.size() - 1;
    limit_ = slots_.size() / 2;
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.key == 0)
            continue;
        std::size_t at = slot.key & mask;
        while (slots_[at].key != 0)
            at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

CookieJarDocument::CookieJarDocument(std::string bytes)
    : base_(std::move(bytes)), revision_(NextRevision()) {
    // Counting the lines first to size the table cost more than a guess and the table's few
    // regrowths: a browser's exported line is rarely shorter than this.
    lines_.resize(base_.size() / 64 + 1);
    // The lines are found first and indexed after, each step a loop of its own. They are written
    // in place, the room grown by hand: the vector's own growth check was a call a line.
    // What the loops read of the members is read once, before them: the lines' stores could
    // otherwise change it, for all the compiler knows.
    std::size_t start = 0;
    std::size_t count = 0;
    Line* lines = lines_.data();
    std::size_t room = lines_.size();
    const auto add = [&](std::size_t end) {
        if (count == room) {
            lines_.resize(2 * count);
            lines = lines_.data();
            room = lines_.size();
        }
        lines[count++] = Line{start, end - start};
        start = end;
    };
    const char* const data = base_.data();
    const std::size_t size = base_.size();
    std::size_t at = 0;
#if defined(__SSE2__)
    // Sixty-four bytes at a time, in the one pass: where lines end, and whether a byte is a
    // control character other than a tab or a line end. A call to find each line's end, and a
    // pass of its own for control characters, were most of the time of reading a large jar.
    __m128i lowest = _mm_set1_epi8(0x20);
    const auto addLines = [&](std::size_t from, std::uint64_t ends) {
        for (; ends != 0; ends &= ends - 1)
            add(from + static_cast<std::size_t>(std::countr_zero(ends)) + 1);
    };
    for (; at + 64 <= size; at += 64) {
        const std::uint64_t ends = LineFeedsOfBlock(data + at, lowest) |
                                   (LineFeedsOfBlock(data + at + 16, lowest) << 16) |
                                   (LineFeedsOfBlock(data + at + 32, lowest) << 32) |
                                   (LineFeedsOfBlock(data + at + 48, lowest) << 48);
        addLines(at, ends);
    }
    for (; at + 16 <= size; at += 16)
        addLines(at, LineFeedsOfBlock(data + at, lowest));
    controlBytes_ =
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(lowest, _mm_set1_epi8(0x1F)), lowest)) != 0;
#endif
    for (; at < size; ++at) {
        const auto byte = static_cast<unsigned char>(data[at]);
        if (byte == '\n')
            add(at + 1);
        else if (byte < 0x20 && byte != '\t' && byte != '\r')
            controlBytes_ = true;
    }
    if (start < size)
        add(size);
    lines_.resize(count);
    baseLines_ = lines_.size();
    IndexLoadedLines();
    const std::size_t firstFeed = base_.find('\n');
    if (firstFeed != std::string::npos && firstFeed > 0 && base_[firstFeed - 1] == '\r') {
        lineEnding_ = "\r\n";
    }
}

// The loaded lines by domain, read from each line's first field without the "#HttpOnly_" or the
// leading dot. Only this much is read at load: a line is parsed whole when a lookup reaches it,
// so the lines of sites no board touches are never split into fields. A damaged line whose
// domain field reads like a domain joins that domain's chain too; every lookup parses the lines
// it walks and passes over those that are not cookies.
void CookieJarDocument::IndexLoadedLines() {
    constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";
    // Every loaded line has a byte at least. The table's inserts write through pointers, so what
    // the loop reads of the members is read once, before it.
    const char* const data = base_.data();
    const char* const end = data + base_.size();
    Line* const lines = lines_.data();
    const std::size_t count = baseLines_;
    for (std::size_t at = 0; at < count; ++at) {
        Line& line = lines[at];
        const char* text = data + line.offset;
        std::size_t length = line.length;
        length -= text[length - 1] == '\n' ? 1 : 0;
        if (length == 0)
            continue;
        if (text[0] == '#') {
            if (length < kHttpOnlyPrefix.size() ||
                std::memcmp(text, kHttpOnlyPrefix.data(), kHttpOnlyPrefix.size()) != 0)
                continue;
            text += kHttpOnlyPrefix.size();
            length -= kHttpOnlyPrefix.size();
        }
        std::size_t field = FirstTab(text, length, end);
        if (field != 0 && text[0] == '.') {
            ++text;
            --field;
        }
        if (field == 0)
            continue;
        const auto index = static_cast<LineIndex>(at);
        auto [head, inserted] = domainHeads_.TryEmplace(DomainHash({text, field}), index);
        if (!inserted) {
            line.nextSameDomain = *head;
            *head = index;
        }
    }
}

std::string_view CookieJarDocument::Raw(const Line& line) const {
    const std::string& storage = line.added ? added_ : base_;
    return std::string_view(storage.data() + line.offset, line.length);
}

std::string_view CookieJarDocument::Text(const Line& line) const {
    std::string_view text = Raw(line);
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    return text;
}

std::string_view CookieJarDocument::Text(LineIndex line) const {
    std::string_view text = Text(lines_[line]);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    return text;
}

std::optional<CookieJarEntry> CookieJarDocument::Cookie(LineIndex line) const {
    if (line >= lines_.size() || lines_[line].removed)
        return std::nullopt;
    return ParseCookieJarLine(Text(lines_[line]));
}

void CookieJarDocument::Index(LineIndex line, const CookieJarEntry& entry) {
    // A cookie's domain is its line's domain field, read.
    if (entry.domain.empty())
        return;
    const std::uint64_t hash = DomainHash(entry.domain);
    auto [head, inserted] = domainHeads_.TryEmplace(hash, line);
    if (!inserted) {
        lines_[line].nextSameDomain = *head;
        *head = line;
    }
    if (!keyedDomains_.Empty() && keyedDomains_.Find(hash) != nullptr)
        IndexKey(line, entry, hash);
}

void CookieJarDocument::IndexKey(LineIndex line, const CookieJarEntry& entry,
                                 std::uint64_t domainHash) {
    auto [head, inserted] = keyHeads_.TryEmplace(KeyHash(domainHash, entry.name), line);
    if (!inserted) {
        lines_[line].nextSameKey = *head;
        *head = line;
    }
}

// Keys are indexed a domain at a time, when a write first asks about that domain: a batch of
// many boards on one host finds each board's lines without walking the host's chain each time,
// and the cookies of other sites are never indexed.
void CookieJarDocument::IndexKeysOf(std::uint64_t domainHash) {
    if (!keyedDomains_.TryEmplace(domainHash, 0).second)
        return;
    const LineIndex* head = domainHeads_.Find(domainHash);
    if (head == nullptr)
        return;
    for (LineIndex line = *head; line != kNoLine; line = lines_[line].nextSameDomain) {
        if (const std::optional<CookieJarEntry> entry = Cookie(line))
            IndexKey(line, *entry, DomainHash(entry->domain));
    }
}

std::vector<CookieJarDocument::LineIndex> CookieJarDocument::CookiesOf(
    std::string_view domain) const {
    std::vector<LineIndex> found;
    const LineIndex* head = domainHeads_.Find(DomainHash(domain));
    if (head == nullptr)
        return found;
    for (LineIndex line = *head; line != kNoLine; line = lines_[line].nextSameDomain) {
        const std::optional<CookieJarEntry> entry = Cookie(line);
        if (entry && EqualsIgnoreCase(entry->domain, domain))
            found.push_back(line);
    }
    return found;
}

std::vector<CookieJarDocument::LineIndex> CookieJarDocument::LinesWithKey(std::string_view domain,
                                                                          std::string_view path,
                                                                          std::string_view name) {
    std::vector<LineIndex> found;
    AppendLinesWithKey(domain, {path}, name, found);
    return found;
}

void CookieJarDocument::AppendLinesWithKey(std::string_view domain,
                                           const std::vector<std::string_view>& paths,
                                           std::string_view name, std::vector<LineIndex>& found) {
    const std::uint64_t domainHash = DomainHash(domain);
    // No line names the domain, so none holds the key: most domains above a host are such.
    if (domainHeads_.Find(domainHash) == nullptr)
        return;
    IndexKeysOf(domainHash);
    const LineIndex* head = keyHeads_.Find(KeyHash(domainHash, name));
    if (head == nullptr)
        return;
    // The cookie's lines of every path in one walk, each marked with its path's place, then put in
    // the order of paths and of the file.
    std::vector<std::uint64_t>& placed = placedLines_;
    placed.clear();
    for (LineIndex line = *head; line != kNoLine; line = lines_[line].nextSameKey) {
        const std::optional<CookieJarEntry> entry = Cookie(line);
        if (!entry || entry->name != name || !EqualsIgnoreCase(entry->domain, domain))
            continue;
        const auto path = std::find(paths.begin(), paths.end(), entry->path);
        if (path != paths.end())
            placed.push_back((static_cast<std::uint64_t>(path - paths.begin()) << 32) | line);
    }
    std::sort(placed.begin(), placed.end());
    for (const std::uint64_t mark : placed)
        found.push_back(static_cast<LineIndex>(mark));
}

void CookieJarDocument::Replace(LineIndex line, std::string_view text) {
    revision_ = NextRevision();
    Line& target = lines_[line];
    const std::string_view raw = Raw(target);
    const std::string_view ending = raw.ends_with("\r\n") ? "\r\n"
                                    : raw.ends_with('\n') ? "\n"
                                                          : "";
    target.offset = added_.size();
    target.length = text.size() + ending.size();
    target.added = true;
    added_.append(text).append(ending);
    changed_ = true;
}

void CookieJarDocument::Remove(LineIndex line) {
    if (lines_[line].removed)
        return;
    revision_ = NextRevision();
    lines_[line].removed = true;
    removedLines_.insert(std::upper_bound(removedLines_.begin(), removedLines_.end(), line), line);
    changed_ = true;
}

CookieJarDocument::LineIndex CookieJarDocument::Append(std::string_view text,
                                                       const CookieJarEntry& entry) {
    revision_ = NextRevision();
    lines_.push_back(Line{added_.size(), text.size() + lineEnding_.size()});
    lines_.back().added = true;
    added_.append(text).append(lineEnding_);
    const auto line = static_cast<LineIndex>(lines_.size() - 1);
    Index(line, entry);
    changed_ = true;
    return line;
}

// A line's place is its index less the removed lines before it: few lines are ever removed, so
// an undo record of a cookie appended to a large jar costs no walk over the whole file.
std::size_t CookieJarDocument::Position(LineIndex line) const {
    const auto before = std::lower_bound(removedLines_.begin(), removedLines_.end(), line);
    return line - static_cast<std::size_t>(before - removedLines_.begin());
}

bool CookieJarDocument::EndsWithLineFeed() const {
    for (std::size_t i = lines_.size(); i-- > 0;) {
        if (!lines_[i].removed)
            return i >= baseLines_ || Raw(lines_[i]).ends_with('\n');
    }
    return true;
}

std::vector<std::string_view> CookieJarDocument::Pieces() const {
    std::vector<std::string_view> pieces;
    // Lines that follow each other in the same storage make one run: a jar only appended to is
    // its file's bytes and the lines added.
    const char* run = nullptr;
    std::size_t runLength = 0;
    auto add = [&](const char* data, std::size_t length) {
        if (run + runLength == data) {
            runLength += length;
            return;
        }
        if (runLength != 0)
            pieces.emplace_back(run, runLength);
        run = data;
        runLength = length;
    };
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.removed || line.length == 0)
            continue;
        // The first line added after a last line without a line feed starts a line of its own.
        if (i >= baseLines_ && runLength != 0 && run[runLength - 1] != '\n')
            add(lineEnding_.data(), lineEnding_.size());
        add((line.added ? added_ : base_).data() + line.offset, line.length);
    }
    if (runLength != 0)
        pieces.emplace_back(run, runLength);
    return pieces;
}

std::string CookieJarDocument::Serialize() const {
    const std::vector<std::string_view> pieces = Pieces();
    std::size_t size = 0;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string out;
    out.reserve(size);
    for (const std::string_view piece : pieces)
        out.append(piece);
    return out;
}

}  // namespace tessel
