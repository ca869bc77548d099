#include "app/UndoJournal.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {
namespace {

constexpr std::string_view kHeader = "TesselCustom undo journal 1";
constexpr std::string_view kBatchWord = "batch";
constexpr std::string_view kCookieWord = "cookie";

// Spaces part the words and newlines the lines; '%' starts an escape. A byte a word cannot hold as
// it is (a control, a space, DEL or '%') becomes '%' and two hex digits; a lone '%' is the empty
// word.
//
// Those bytes are found a block at a time, as journals are mostly long runs of other bytes: Marks
// holds a mark per such byte of the block, MarkCount counts them, FirstMark gives the first one's
// place in the block and WithoutFirstMark drops it.
#if defined(__SSE2__)
constexpr std::size_t kBlock = 16;

// All ones in each marked byte.
__m128i MarkedBytes(const char* block) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i belowBang = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
    const __m128i other = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7f)),
                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('%')));
    return _mm_or_si128(belowBang, other);
}

unsigned Marks(const char* block) {
    return static_cast<unsigned>(_mm_movemask_epi8(MarkedBytes(block)));
}

// The marks of blocks whole blocks from the one at from: counted in each byte's place (a marked
// byte is minus one), summed across at most 255 blocks at a time so that no count overflows.
std::size_t MarkCountOfBlocks(const char* from, std::size_t blocks) {
    const __m128i zero = _mm_setzero_si128();
    __m128i total = zero;
    while (blocks > 0) {
        const std::size_t round = blocks < 255 ? blocks : 255;
        __m128i counts = zero;
        for (std::size_t i = 0; i < round; ++i, from += kBlock)
            counts = _mm_sub_epi8(counts, MarkedBytes(from));
        total = _mm_add_epi64(total, _mm_sad_epu8(counts, zero));
        blocks -= round;
    }
    return static_cast<std::size_t>(_mm_cvtsi128_si64(total)) +
           static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
}

int MarkCount(unsigned marks) {
    // Sixteen bits, counted without a call: no popcnt instruction is assumed.
    marks -= (marks >> 1) & 0x5555;
    marks = (marks & 0x3333) + ((marks >> 2) & 0x3333);
    marks = (marks + (marks >> 4)) & 0x0f0f;
    return static_cast<int>((marks + (marks >> 8)) & 0x1f);
}

int FirstMark(unsigned marks) {
    return std::countr_zero(marks);
}

unsigned WithoutFirstMark(unsigned marks) {
    return marks & (marks - 1);
}

void CopyBlock(char* out, const char* block) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(block)));
}
#else
// Eight bytes in a word: the top bit of each marked byte, and no other bit.
constexpr std::size_t kBlock = 8;
constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f;
constexpr std::uint64_t kEachByte = 0x0101010101010101;

constexpr std::uint64_t ZeroBytes(std::uint64_t eight) {
    return ~(((eight & kLow7) + kLow7) | eight) & ~kLow7;
}

std::uint64_t Marks(const char* block) {
    std::uint64_t eight;
    std::memcpy(&eight, block, sizeof eight);
    const std::uint64_t belowBang = ~(((eight & kLow7) + 0x5f * kEachByte) | eight) & ~kLow7;
    return belowBang | ZeroBytes(eight ^ (0x7f * kEachByte)) | ZeroBytes(eight ^ ('%' * kEachByte));
}

int MarkCount(std::uint64_t marks) {
    return static_cast<int>(((marks >> 7) * kEachByte) >> 56);  // summed into the top byte
}

int FirstMark(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(marks) / 8;
    else
        return std::countl_zero(marks) / 8;
}

std::uint64_t WithoutFirstMark(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little)
        return marks & (marks - 1);
    else
        return marks & ~(std::uint64_t{1} << (63 - std::countl_zero(marks)));
}

void CopyBlock(char* out, const char* block) {
    std::memcpy(out, block, kBlock);
}

std::size_t MarkCountOfBlocks(const char* from, std::size_t blocks) {
    std::size_t count = 0;
    for (; blocks > 0; --blocks, from += kBlock)
        count += static_cast<std::size_t>(MarkCount(Marks(from)));
    return count;
}
#endif

// The marks of the last bytes of a word, fewer than a block, padded with plain ones.
auto TailMarks(const char* tail, std::size_t size) {
    char block[kBlock];
    std::memset(block, 'x', kBlock);
    std::memcpy(block, tail, size);
    return Marks(block);
}

// The size of text as a word.
std::size_t WordSize(std::string_view text) {
    if (text.empty())
        return 1;
    const std::size_t at = text.size() - text.size() % kBlock;
    std::size_t escapes = MarkCountOfBlocks(text.data(), at / kBlock);
    if (at < text.size())
        escapes +=
            static_cast<std::size_t>(MarkCount(TailMarks(text.data() + at, text.size() - at)));
    return text.size() + 2 * escapes;
}

char* Put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* PutEscape(char* out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out[0] = '%';
    out[1] = kHex[byte >> 4];
    out[2] = kHex[byte & 0xf];
    return out + 3;
}

// Writes text as a word at out, which has room for WordSize(text); returns its end.
char* PutWord(char* out, std::string_view text) {
    if (text.empty()) {
        *out = '%';
        return out + 1;
    }
    const char* from = text.data();
    const char* const end = from + text.size();
    while (static_cast<std::size_t>(end - from) >= kBlock) {
        // The whole block fits: what is left of the word takes at least as many bytes.
        CopyBlock(out, from);
        const auto marks = Marks(from);
        if (marks == 0) {
            out += kBlock;
            from += kBlock;
            continue;
        }
        const int plain = FirstMark(marks);
        out = PutEscape(out + plain, static_cast<unsigned char>(from[plain]));
        from += plain + 1;
    }
    const char* const tail = from;
    for (auto marks = TailMarks(tail, static_cast<std::size_t>(end - tail)); marks != 0;
         marks = WithoutFirstMark(marks)) {
        const char* const escaped = tail + FirstMark(marks);
        out = PutEscape(Put(out, std::string_view(from, escaped)),
                        static_cast<unsigned char>(*escaped));
        from = escaped + 1;
    }
    return Put(out, std::string_view(from, end));
}

std::optional<std::string> Unescape(std::string_view word) {
    if (word == "%")
        return std::string();
    std::string out;
    out.reserve(word.size());
    std::size_t plain = 0;  // where the bytes not yet added start
    for (std::size_t percent; (percent = word.find('%', plain)) != std::string_view::npos;) {
        if (word.size() - percent < 3)
            return std::nullopt;
        const char* const digits = word.data() + percent + 1;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(digits, digits + 2, value, 16);
        if (error != std::errc() || end != digits + 2)
            return std::nullopt;
        out.append(word, plain, percent - plain);
        out += static_cast<char>(value);
        plain = percent + 3;
    }
    out.append(word, plain);
    return out;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t space = line.find(' ', start);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

std::string FormatTime(const SystemTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::optional<SystemTime> ParseTime(std::string_view text) {
    SystemTime time;
    const std::string copy(text);
    char zone = 0;
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second, &zone) != 7 ||
        zone != 'Z')
        return std::nullopt;
    return time;
}

}  // namespace

std::string FormatJournal(std::span<const JournalBatch> batches) {
    // Sized exactly first, then written in place: a large batch is one allocation and no copy.
    std::vector<std::string> times;
    times.reserve(batches.size());
    std::size_t size = kHeader.size() + 1;
    for (const JournalBatch& batch : batches) {
        times.push_back(FormatTime(batch.time));
        size += kBatchWord.size() + 1 + times.back().size() + 1 + WordSize(batch.store) + 1;
        for (const JournalCookie& cookie : batch.cookies) {
            size += kCookieWord.size() + 5 + WordSize(cookie.board) + WordSize(cookie.url) +
                    WordSize(cookie.name) + WordSize(cookie.before) + WordSize(cookie.written) + 1;
        }
    }
    std::string text(size, '\0');
    char* out = Put(text.data(), kHeader);
    *out++ = '\n';
    for (std::size_t i = 0; i < batches.size(); ++i) {
        out = Put(out, kBatchWord);
        *out++ = ' ';
        out = Put(out, times[i]);
        *out++ = ' ';
        out = PutWord(out, batches[i].store);
        *out++ = '\n';
        for (const JournalCookie& cookie : batches[i].cookies) {
            out = Put(out, kCookieWord);
            for (const std::string* field :
                 {&cookie.board, &cookie.url, &cookie.name, &cookie.before, &cookie.written}) {
                *out++ = ' ';
                out = PutWord(out, *field);
            }
            *out++ = '\n';
        }
    }
    return text;
}

std::optional<std::vector<JournalBatch>> ParseJournal(std::string_view text) {
    std::vector<JournalBatch> batches;
    if (text.empty())
        return batches;
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos)
            return std::nullopt;  // a journal always ends its last line
        const std::string_view line = text.substr(start, newline - start);
        start = newline + 1;
        if (first) {
            if (line != kHeader)
                return std::nullopt;
            first = false;
            continue;
        }
        const std::vector<std::string_view> words = Words(line);
        if (words[0] == kBatchWord && words.size() == 3) {
            const std::optional<SystemTime> time = ParseTime(words[1]);
            std::optional<std::string> store = Unescape(words[2]);
            if (!time || !store)
                return std::nullopt;
            batches.push_back({*time, std::move(*store), {}});
        } else if (words[0] == kCookieWord && words.size() == 6 && !batches.empty()) {
            std::optional<std::string> fields[5];
            for (std::size_t i = 0; i < 5; ++i) {
                fields[i] = Unescape(words[i + 1]);
                if (!fields[i])
                    return std::nullopt;
            }
            batches.back().cookies.push_back({std::move(*fields[0]), std::move(*fields[1]),
                                              std::move(*fields[2]), std::move(*fields[3]),
                                              std::move(*fields[4])});
        } else {
            return std::nullopt;
        }
    }
    return batches;
}

bool UndoJournal::Prepare(CookieFailure& error) {
    if (file.Prepare(error) && file.Numbers(error))
        return true;
    error.details.path = file.Where();
    return false;
}

std::optional<KeptBatch> UndoJournal::Last(CookieFailure& error) {
    std::optional<std::vector<std::uint64_t>> numbers = file.Numbers(error);
    if (numbers && numbers->empty())
        return std::nullopt;
    std::optional<std::string> text;
    if (numbers)
        text = file.Read(*std::max_element(numbers->begin(), numbers->end()), error);
    if (!text) {
        error.details.path = file.Where();
        return std::nullopt;
    }
    std::optional<std::vector<JournalBatch>> batches = ParseJournal(*text);
    if (!batches || batches->size() != 1) {
        error = MakeFailure(CookieProblem::kNotAJournal, CookieDetails().Path(file.Where()));
        return std::nullopt;
    }
    return KeptBatch{*std::max_element(numbers->begin(), numbers->end()),
                     std::move(batches->front())};
}

std::optional<std::uint64_t> UndoJournal::Add(const JournalBatch& batch, CookieFailure& error) {
    const std::string text = FormatJournal(std::span(&batch, 1));
    // Another writer may take the next number first; the file never gives a batch's place to
    // another, so the next try takes the number after it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::optional<std::vector<std::uint64_t>> numbers = file.Numbers(error);
        if (!numbers)
            break;
        const std::uint64_t number =
            numbers->empty() ? 1 : *std::max_element(numbers->begin(), numbers->end()) + 1;
        if (file.Add(number, text, error)) {
            added_ = std::move(*numbers);
            added_.push_back(number);
            return number;
        }
    }
    error.details.path = file.Where();
    return std::nullopt;
}

void UndoJournal::DropOldest() {
    // Batches another writer added since are dropped at its own batch or the next.
    std::vector<std::uint64_t> numbers = std::exchange(added_, {});
    if (numbers.empty()) {
        CookieFailure error;
        numbers = file.Numbers(error).value_or(std::vector<std::uint64_t>());
    }
    if (numbers.size() <= kJournalBatches)
        return;
    std::sort(numbers.begin(), numbers.end());
    // One that cannot be removed now goes at a later batch.
    for (std::size_t i = 0; i + kJournalBatches < numbers.size(); ++i)
        file.Forget(numbers[i]);
}

bool UndoJournal::Remove(std::uint64_t number, CookieFailure& error) {
    if (file.Remove(number, error))
        return true;
    error.details.path = file.Where();
    return false;
}

}  // namespace tessel
