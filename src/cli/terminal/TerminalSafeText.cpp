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
    if constexpr (std::endian::native == std::endian::little) {
        // Two at a time while eight bytes are left to look at.
        while (at + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, sizeof word);
            if ((word & 0x0000C0C0F0C0C0F0ull) != 0x00008080E08080E0ull ||
                ((kLeads >> (word & 0xF)) & (kLeads >> ((word >> 24) & 0xF)) & 1) == 0) {
                break;
            }
            at += 6;
        }
    }
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

// Where the first character from at on that must be replaced begins, with next set to where what
// follows it begins; text.size() when there is none.
#if defined(__SSE2__)
// How many bytes of the block at text are shown as they are, whole characters only: printable
// ASCII, tabs and line feeds, and the three-byte characters AfterCommonThreeByteRun passes over;
// 0 when the block's first character is none of those. Mixed Japanese and ASCII text is taken a
// block at a time this way.
std::size_t ShownBlock(const char* text) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const auto mask = [](__m128i bytes) { return static_cast<unsigned>(_mm_movemask_epi8(bytes)); };
    const auto equal = [&](int byte) {
        return _mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(byte)));
    };
    // As signed bytes, all but 0x20 to 0x7E are below 0x20 or 0x7F.
    const unsigned other =
        mask(_mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(0x20)), equal(0x7f)));
    const unsigned ascii = ~other | mask(_mm_or_si128(equal('\n'), equal('\t')));
    const unsigned anyLead =
        mask(_mm_cmpeq_epi8(_mm_and_si128(block, _mm_set1_epi8(static_cast<char>(0xF0))),
                            _mm_set1_epi8(static_cast<char>(0xE0))));
    const unsigned lead =
        anyLead & ~mask(_mm_or_si128(_mm_or_si128(equal(0xE0), equal(0xE2)), equal(0xED)));
    const unsigned trail =
        mask(_mm_cmpeq_epi8(_mm_and_si128(block, _mm_set1_epi8(static_cast<char>(0xC0))),
                            _mm_set1_epi8(static_cast<char>(0x80))));
    if (((ascii | lead | trail) & 0xFFFF) != 0xFFFF ||
        (((lead << 1) | (lead << 2)) & 0xFFFF) != trail)
        return 0;
    // A character that runs past the block is left to the next one.
    if ((lead & 0x8000) != 0)
        return 15;
    return (lead & 0x4000) != 0 ? 14 : 16;
}
#endif

std::size_t NextUnsafe(std::string_view text, std::size_t at, std::size_t& next) {
    while (at < text.size()) {
#if defined(__SSE2__)
        if (at + 16 <= text.size()) {
            if (const std::size_t shown = ShownBlock(text.data() + at); shown != 0) {
                at += shown;
                continue;
            }
        }
#endif
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte >= 0x20 && byte < 0x7F) || byte == '\n' || byte == '\t') {
            ++at;
            continue;
        }
        // Kana and kanji come in runs.
        if (const std::size_t after = AfterCommonThreeByteRun(text, at); after != at) {
            at = after;
            continue;
        }
        const std::size_t start = at;
        const char32_t c = NextCodePoint(text, at);
        if (c != kNotUtf8 && !ActsOnTerminal(c))
            continue;
        next = c == kNotUtf8 ? at + 1 : at;
        return start;
    }
    return text.size();
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
    for (std::size_t copied = 0;;) {
        std::size_t next = 0;
        const std::size_t unsafe = NextUnsafe(text, copied, next);
        safe.append(text.substr(copied, unsafe - copied));
        if (unsafe == text.size())
            return;
        safe += kReplacement;
        copied = next;
    }
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
    // Text with nothing to replace, as nearly all is, goes on as it is, without a copy.
    std::size_t next = 0;
    if (NextUnsafe(text, 0, next) != text.size()) {
        safe_.clear();
        AppendTerminalSafe(text, safe_);
        text = safe_;
    }
    const auto size = static_cast<std::streamsize>(text.size());
    failed_ = failed_ || target_->sputn(text.data(), size) != size;
    return !failed_;
}

}  // namespace tessel::cli
