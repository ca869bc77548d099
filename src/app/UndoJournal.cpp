#include "app/UndoJournal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tessel {
namespace {

constexpr std::string_view kHeader = "TesselCustom undo journal 1";

// Spaces part the words and newlines the lines; '%' starts an escape. A word is added to out,
// after a space unless it is the line's first.
void AppendWord(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (!out.empty() && out.back() != '\n')
        out += ' ';
    if (text.empty()) {
        out += '%';  // a lone '%' is the empty word
        return;
    }
    std::size_t plain = 0;  // where the bytes not yet added start
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte > 0x20 && byte != 0x7f && byte != '%')
            continue;
        out.append(text, plain, i - plain);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
        plain = i + 1;
    }
    out.append(text, plain);
}

std::optional<std::string> Unescape(std::string_view word) {
    if (word == "%")
        return std::string();
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            out += word[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= word.size())
            return std::nullopt;
        const auto [end, error] =
            std::from_chars(word.data() + i + 1, word.data() + i + 3, value, 16);
        if (error != std::errc() || end != word.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
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

std::string FormatJournal(const std::vector<JournalBatch>& batches) {
    std::size_t size = kHeader.size() + 1;
    for (const JournalBatch& batch : batches) {
        size += 40 + batch.store.size();
        for (const JournalCookie& cookie : batch.cookies) {
            size += 16 + cookie.board.size() + cookie.url.size() + cookie.name.size() +
                    cookie.before.size() + cookie.written.size();
        }
    }
    std::string text;
    text.reserve(size + size / 8);
    text += kHeader;
    text += '\n';
    for (const JournalBatch& batch : batches) {
        text += "batch ";
        text += FormatTime(batch.time);
        AppendWord(text, batch.store);
        text += '\n';
        for (const JournalCookie& cookie : batch.cookies) {
            text += "cookie";
            for (const std::string* field :
                 {&cookie.board, &cookie.url, &cookie.name, &cookie.before, &cookie.written})
                AppendWord(text, *field);
            text += '\n';
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
        if (words[0] == "batch" && words.size() == 3) {
            const std::optional<SystemTime> time = ParseTime(words[1]);
            std::optional<std::string> store = Unescape(words[2]);
            if (!time || !store)
                return std::nullopt;
            batches.push_back({*time, std::move(*store), {}});
        } else if (words[0] == "cookie" && words.size() == 6 && !batches.empty()) {
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
    const std::string text = FormatJournal({batch});
    // Another writer may take the next number first; the file never gives a batch's place to
    // another, so the next try takes the number after it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::optional<std::vector<std::uint64_t>> numbers = file.Numbers(error);
        if (!numbers)
            break;
        const std::uint64_t number =
            numbers->empty() ? 1 : *std::max_element(numbers->begin(), numbers->end()) + 1;
        if (file.Add(number, text, error))
            return number;
    }
    error.details.path = file.Where();
    return std::nullopt;
}

void UndoJournal::DropOldest() {
    CookieFailure error;
    std::optional<std::vector<std::uint64_t>> numbers = file.Numbers(error);
    if (!numbers || numbers->size() <= kJournalBatches)
        return;
    std::sort(numbers->begin(), numbers->end());
    // One that cannot be removed now goes at a later batch.
    for (std::size_t i = 0; i + kJournalBatches < numbers->size(); ++i)
        file.Remove((*numbers)[i], error);
}

bool UndoJournal::Remove(std::uint64_t number, CookieFailure& error) {
    if (file.Remove(number, error))
        return true;
    error.details.path = file.Where();
    return false;
}

}  // namespace tessel
