#include "app/UndoJournal.h"

#include <algorithm>
#include <array>
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
// holds a mark per such byte of the block, FirstMark gives the first one's place in the block,
// WithoutFirstMark drops it and WithoutFirstBytes drops those of the block's first bytes.
#if defined(__SSE2__)
constexpr std::size_t kBlock = 16;

unsigned Marks(const char* block) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i belowBang = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
    const __m128i other = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7f)),
                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('%')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(belowBang, other)));
}

int FirstMark(unsigned marks) {
    return std::countr_zero(marks);
}

unsigned WithoutFirstMark(unsigned marks) {
    return marks & (marks - 1);
}

unsigned WithoutFirstBytes(unsigned marks, std::size_t bytes) {
    return marks & ~((1u << bytes) - 1);
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

std::uint64_t WithoutFirstBytes(std::uint64_t marks, std::size_t bytes) {
    if (bytes >= kBlock)
        return 0;
    if constexpr (std::endian::native == std::endian::little)
        return marks & ~((std::uint64_t{1} << (8 * bytes)) - 1);
    else
        return marks & (~std::uint64_t{0} >> (8 * bytes));
}

void CopyBlock(char* out, const char* block) {
    std::memcpy(out, block, kBlock);
}
#endif

// The most a word of size bytes takes, with the room its whole-block stores may run past its end.
constexpr std::size_t WordRoom(std::size_t size) {
    return 3 * size + 1 + kBlock;
}

char* Put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Each byte's escape, in four bytes that are stored whole; the fourth says whether the byte is
// escaped at all.
constexpr auto kEscapes = [] {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::array<std::array<char, 4>, 256> escapes{};
    for (std::size_t byte = 0; byte < escapes.size(); ++byte) {
        const bool escaped = byte <= 0x20 || byte == 0x7f || byte == '%';
        escapes[byte] = {'%', kHex[byte >> 4], kHex[byte & 0xf], escaped ? '\1' : '\0'};
    }
    return escapes;
}();

// Writes the escape of byte at out, and one byte more that what follows writes over.
char* PutEscape(char* out, unsigned char byte) {
    std::memcpy(out, kEscapes[byte].data(), 4);
    return out + 3;
}

// Writes the bytes of a block from at on, marks being its marks from at on; a whole block is read
// from any place in it.
template <typename BlockMarks>
char* PutBlock(char* out, const char* block, BlockMarks marks, std::size_t at) {
    for (; marks != 0; marks = WithoutFirstMark(marks)) {
        const auto escaped = static_cast<std::size_t>(FirstMark(marks));
        CopyBlock(out, block + at);
        out = PutEscape(out + (escaped - at), static_cast<unsigned char>(block[escaped]));
        at = escaped + 1;
    }
    CopyBlock(out, block + at);
    return out + (kBlock - at);
}

// Writes text as a word at out, which has room for WordRoom(text.size()); returns its end.
char* PutWord(char* out, std::string_view text) {
    if (text.empty()) {
        *out = '%';
        return out + 1;
    }
    const char* from = text.data();
    const char* const end = from + text.size();
    if (text.size() < kBlock) {
        for (; from != end; ++from) {
            const auto byte = static_cast<unsigned char>(*from);
            if (kEscapes[byte][3] != 0)
                out = PutEscape(out, byte);
            else
                *out++ = *from;
        }
        return out;
    }
    // A block near the word's end is copied first into a buffer with a block's room after it.
    char near[2 * kBlock] = {};
    while (static_cast<std::size_t>(end - from) > kBlock) {
        const auto marks = Marks(from);
        if (marks == 0) {
            CopyBlock(out, from);
            out += kBlock;
        } else if (static_cast<std::size_t>(end - from) >= 2 * kBlock) {
            out = PutBlock(out, from, marks, 0);
        } else {
            CopyBlock(near, from);
            out = PutBlock(out, near, marks, 0);
        }
        from += kBlock;
    }
    // The word's last block, without the bytes already written.
    CopyBlock(near, end - kBlock);
    const auto at = static_cast<std::size_t>(from - (end - kBlock));
    return PutBlock(out, near, WithoutFirstBytes(Marks(near), at), at);
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

namespace {

// A journal's text, written in place a line at a time into room made for the line's longest form:
// the text's size runs a little ahead of what is written, and is cut back at the end. Reserved
// for a few escapes, a large batch is mostly one allocation and no copy.
class JournalText {
  public:
    // fieldBytes: about how many bytes the batches' fields hold, all together.
    explicit JournalText(std::size_t fieldBytes) {
        text_.reserve(fieldBytes + fieldBytes / 4 + 1024);
        char* out = Put(Room(kHeader.size() + 1), kHeader);
        *out++ = '\n';
        Used(out);
    }

    void Batch(const SystemTime& time, std::string_view store) {
        const std::string stamp = FormatTime(time);
        char* out =
            Put(Room(kBatchWord.size() + stamp.size() + WordRoom(store.size()) + 3), kBatchWord);
        *out++ = ' ';
        out = Put(out, stamp);
        *out++ = ' ';
        out = PutWord(out, store);
        *out++ = '\n';
        Used(out);
    }

    void Cookie(const JournalCookieView& cookie) {
        char* out = Put(Room(kCookieWord.size() + 6 + WordRoom(cookie.board.size()) +
                             WordRoom(cookie.url.size()) + WordRoom(cookie.name.size()) +
                             WordRoom(cookie.before.size()) + WordRoom(cookie.written.size())),
                        kCookieWord);
        for (const std::string_view field :
             {cookie.board, cookie.url, cookie.name, cookie.before, cookie.written}) {
            *out++ = ' ';
            out = PutWord(out, field);
        }
        *out++ = '\n';
        Used(out);
    }

    std::string Take() && {
        text_.resize(used_);
        return std::move(text_);
    }

    static std::size_t FieldBytes(const JournalCookieView& cookie) {
        return kCookieWord.size() + 6 + cookie.board.size() + cookie.url.size() +
               cookie.name.size() + cookie.before.size() + cookie.written.size();
    }

  private:
    char* Room(std::size_t bytes) {
        if (text_.size() < used_ + bytes)
            text_.resize(used_ + bytes);
        return text_.data() + used_;
    }
    void Used(const char* end) { used_ = static_cast<std::size_t>(end - text_.data()); }

    std::string text_;
    std::size_t used_ = 0;
};

JournalCookieView ViewOf(const JournalCookie& cookie) {
    return {cookie.board, cookie.url, cookie.name, cookie.before, cookie.written};
}

}  // namespace

std::string FormatJournal(std::span<const JournalBatch> batches) {
    std::size_t fieldBytes = 0;
    for (const JournalBatch& batch : batches) {
        fieldBytes += 64 + batch.store.size();
        for (const JournalCookie& cookie : batch.cookies)
            fieldBytes += JournalText::FieldBytes(ViewOf(cookie));
    }
    JournalText text(fieldBytes);
    for (const JournalBatch& batch : batches) {
        text.Batch(batch.time, batch.store);
        for (const JournalCookie& cookie : batch.cookies)
            text.Cookie(ViewOf(cookie));
    }
    return std::move(text).Take();
}

std::string FormatJournalBatch(const SystemTime& time, std::string_view store,
                               std::span<const JournalCookieView> cookies) {
    std::size_t fieldBytes = 64 + store.size();
    for (const JournalCookieView& cookie : cookies)
        fieldBytes += JournalText::FieldBytes(cookie);
    JournalText text(fieldBytes);
    text.Batch(time, store);
    for (const JournalCookieView& cookie : cookies)
        text.Cookie(cookie);
    return std::move(text).Take();
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
    if (file.Prepare(error) && file.Numbers(error)) {
        file.ClearForgotten();
        return true;
    }
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

std::optional<std::uint64_t> UndoJournal::Add(const std::string& text, CookieFailure& error) {
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
