#include "app/UndoJournal.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace tessel {
namespace {

constexpr std::string_view kHeader = "TesselCustom undo journal 1";
constexpr std::string_view kBatchWord = "batch";
constexpr std::string_view kCookieWord = "cookie";

// Spaces part the words and newlines the lines; '%' starts an escape. A byte a word cannot hold as
// it is becomes '%' and two hex digits; a lone '%' is the empty word.
constexpr bool IsPlain(unsigned char byte) {
    return byte > 0x20 && byte != 0x7f && byte != '%';
}

// Eight bytes at once: the high bit of each byte that IsPlain refuses, and no other bit, so that
// the bits can be counted and the first one found. Journals are mostly long plain runs.
constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f;
constexpr std::uint64_t kEachByte = 0x0101010101010101;

constexpr std::uint64_t ZeroBytes(std::uint64_t eight) {
    return ~(((eight & kLow7) + kLow7) | eight) & ~kLow7;
}

constexpr std::uint64_t Escaped(std::uint64_t eight) {
    const std::uint64_t belowBang = ~(((eight & kLow7) + 0x5f * kEachByte) | eight) & ~kLow7;
    return belowBang | ZeroBytes(eight ^ (0x7f * kEachByte)) | ZeroBytes(eight ^ ('%' * kEachByte));
}

std::uint64_t LoadEight(const char* at) {
    std::uint64_t eight;
    std::memcpy(&eight, at, sizeof eight);
    return eight;
}

// Where the first marked byte of Escaped's answer lies among the eight as they are in memory.
int FirstMarked(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(marks) / 8;
    else
        return std::countl_zero(marks) / 8;
}

// The size of text as a word.
std::size_t WordSize(std::string_view text) {
    if (text.empty())
        return 1;
    std::size_t escapes = 0;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        // One bit per byte, at its top: gathered into the top byte by the multiplication.
        escapes += ((Escaped(LoadEight(text.data() + at)) >> 7) * kEachByte) >> 56;
    }
    for (; at < text.size(); ++at)
        escapes += IsPlain(static_cast<unsigned char>(text[at])) ? 0 : 1;
    return text.size() + 2 * escapes;
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
    while (end - from >= 8) {
        // The eight bytes fit: what is left of the word takes at least as many.
        std::memcpy(out, from, 8);
        const std::uint64_t marks = Escaped(LoadEight(from));
        if (marks == 0) {
            out += 8;
            from += 8;
            continue;
        }
        const int plain = FirstMarked(marks);
        out = PutEscape(out + plain, static_cast<unsigned char>(from[plain]));
        from += plain + 1;
    }
    for (; from != end; ++from) {
        const auto byte = static_cast<unsigned char>(*from);
        if (IsPlain(byte))
            *out++ = *from;
        else
            out = PutEscape(out, byte);
    }
    return out;
}

char* Put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
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
