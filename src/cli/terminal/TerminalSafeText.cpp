#include "cli/terminal/TerminalSafeText.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/Utf8.h"

namespace tessel::cli {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Past this much text without a line end, what is whole is passed on anyway.
constexpr std::size_t kMaxPending = 4096;

// Where the run of three-byte characters at text[at] ends (at itself when none starts there),
// counting only those that never act on a terminal and whose bytes need no range check beyond the
// continuation marks: every lead from E1 to EF but E2 (the bidi controls, among others) and ED
// (surrogates). Kana and kanji are all of them.
std::size_t AfterCommonThreeByteRun(std::string_view text, std::size_t at) {
    constexpr unsigned kLeads = 0xDFFA;  // a bit per lead from E0, set for the leads above
    while (at + 3 <= text.size()) {
        const unsigned lead = static_cast<unsigned char>(text[at]) - 0xE0u;
        std::uint16_t trail;
        std::memcpy(&trail, text.data() + at + 1, sizeof trail);
        if (lead > 0xF || ((kLeads >> lead) & 1) == 0 || (trail & 0xC0C0) != 0x8080)
            break;
        at += 3;
    }
    return at;
}

}  // namespace

bool ActsOnTerminal(char32_t c) {
    if (c == U'\t' || c == U'\n')
        return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void AppendTerminalSafe(std::string_view text, std::string& safe) {
    safe.reserve(safe.size() + text.size());
    std::size_t copied = 0;  // text before this is in safe already
    for (std::size_t at = 0; at < text.size();) {
        // Printable ASCII is checked without decoding: it is nearly all of what is written.
#if defined(__SSE2__)
        if (at + 16 <= text.size()) {
            const __m128i block =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            // As signed bytes, all but 0x20 to 0x7E are below 0x20 or 0x7F.
            const unsigned others = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(0x20)),
                                               _mm_cmpeq_epi8(block, _mm_set1_epi8(0x7f)))));
            if (others == 0) {
                at += 16;
                continue;
            }
            at += static_cast<std::size_t>(std::countr_zero(others));
        }
#endif
        if (const auto byte = static_cast<unsigned char>(text[at]); byte >= 0x20 && byte < 0x7F) {
            ++at;
            continue;
        }
        // So are kana and kanji, which come in runs.
        if (const std::size_t after = AfterCommonThreeByteRun(text, at); after != at) {
            at = after;
            continue;
        }
        const std::size_t start = at;
        const char32_t c = NextCodePoint(text, at);
        if (c != kNotUtf8 && !ActsOnTerminal(c))
            continue;  // copied with the rest of its run
        safe.append(text.substr(copied, start - copied));
        safe += kReplacement;
        if (c == kNotUtf8)
            ++at;
        copied = at;
    }
    safe.append(text.substr(copied));
}

TerminalSafeBuffer::int_type TerminalSafeBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    pending_ += byte;
    if ((byte == '\n' || pending_.size() >= kMaxPending) && !Emit(false))
        return traits_type::eof();
    return c;
}

std::streamsize TerminalSafeBuffer::xsputn(const char* text, std::streamsize count) {
    const std::string_view given(text, static_cast<std::size_t>(count));
    if (const std::size_t newline = given.rfind('\n');
        pending_.empty() && newline != std::string_view::npos) {
        // Whole lines with nothing held before them go straight through, without a copy.
        if (!Pass(given.substr(0, newline + 1)))
            return 0;
        pending_.assign(given.substr(newline + 1));
        return count;
    }
    pending_.append(given);
    if ((pending_.find('\n') != std::string::npos || pending_.size() >= kMaxPending) &&
        !Emit(false)) {
        return 0;
    }
    return count;
}

int TerminalSafeBuffer::sync() {
    const bool emitted = Emit(true);
    return emitted && target_->pubsync() == 0 ? 0 : -1;
}

// Passes on the pending text up to its last line end (or, past the limit, up to its last whole
// character; with all, everything).
bool TerminalSafeBuffer::Emit(bool all) {
    std::size_t end = pending_.size();
    if (!all) {
        const std::size_t newline = pending_.rfind('\n');
        if (newline != std::string::npos) {
            end = newline + 1;
        } else {
            // Back up over an unfinished UTF-8 sequence at the end.
            std::size_t lead = end;
            while (lead > 0 && end - lead < 4 &&
                   (static_cast<unsigned char>(pending_[lead - 1]) & 0xC0) == 0x80) {
                --lead;
            }
            if (lead > 0 && static_cast<unsigned char>(pending_[lead - 1]) >= 0xC0)
                end = lead - 1;
        }
    }
    const bool passed = Pass(std::string_view(pending_).substr(0, end));
    pending_.erase(0, end);
    return passed;
}

bool TerminalSafeBuffer::Pass(std::string_view text) {
    safe_.clear();
    AppendTerminalSafe(text, safe_);
    const auto size = static_cast<std::streamsize>(safe_.size());
    failed_ = failed_ || target_->sputn(safe_.data(), size) != size;
    return !failed_;
}

}  // namespace tessel::cli
