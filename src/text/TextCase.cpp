#include "text/TextCase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "text/Utf8.h"

namespace tessel {
namespace {

struct Folding {
    std::uint32_t from;
    std::uint32_t to;
};

// Unicode's simple case folding, generated at build time from the Unicode data files.
constexpr Folding kFoldings[] = {
#include "text/CaseFoldingTable.inc"
};

std::uint32_t FoldCodePoint(std::uint32_t code) {
    const auto found =
        std::lower_bound(std::begin(kFoldings), std::end(kFoldings), code,
                         [](const Folding& f, std::uint32_t c) { return f.from < c; });
    return (found != std::end(kFoldings) && found->from == code) ? found->to : code;
}

}  // namespace

void AppendFoldedNonAscii(std::string_view text, std::string& folded) {
    folded.reserve(folded.size() + text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            folded += FoldChar(text[i]);
            ++i;
            continue;
        }
        if (const char32_t code = NextCodePoint(text, i); code != kNotUtf8)
            AppendUtf8(folded, FoldCodePoint(code));
        else
            folded += text[i++];
    }
}

}  // namespace tessel
