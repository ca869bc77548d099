#include "posix/charset/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

namespace tessel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

iconv_t AsIconv(void* handle) {
    return static_cast<iconv_t>(handle);
}
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

unsigned char Byte(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

void AppendUtf16Unit(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

std::string Utf8Lossy(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t length = 0;
    for (std::size_t i = 0; i < bytes.size(); i += length) {
        const Utf8Step step = DecodeUtf8(bytes, i);
        length = step.length;
        if (step.codePoint) {
            out.append(bytes.substr(i, length));
        } else {
            out += kReplacement;
        }
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t u) -> char32_t {
        return Byte(bytes, 2 * u) | (static_cast<char32_t>(Byte(bytes, 2 * u + 1)) << 8);
    };
    for (std::size_t u = 0; u < units; ++u) {
        const char32_t unit = unitAt(u);
        if (unit >= 0xD800 && unit <= 0xDBFF && u + 1 < units) {
            const char32_t next = unitAt(u + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++u;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kReplacement;  // a surrogate without its partner
        } else {
            AppendUtf8(out, unit);
        }
    }
    if (bytes.size() % 2 != 0)
        out += kReplacement;  // half a code unit at the end
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); i += length) {
        const Utf8Step step = DecodeUtf8(text, i);  // text is known to be valid
        length = step.length;
        const char32_t c = step.codePoint.value_or(0xFFFD);
        if (c >= 0x10000) {
            AppendUtf16Unit(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUtf16Unit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUtf16Unit(out, c);
        }
    }
    return out;
}

// Linux input methods type these JIS forms where Windows types the characters after them; a
// Japanese Windows system sends the latter's codes for the same keys, so they are sent here too.
// Reading those codes back gives the Windows characters.
constexpr std::pair<std::string_view, std::string_view> kWindowsForms[] = {
    {"\u301C", "\uFF5E"},  // WAVE DASH -> FULLWIDTH TILDE, 0x8160
    {"\u2212", "\uFF0D"},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS, 0x817C
    {"\u2016", "\u2225"},  // DOUBLE VERTICAL LINE -> PARALLEL TO, 0x8161
    {"\u2014", "\u2015"},  // EM DASH -> HORIZONTAL BAR, 0x815C
    {"\u00A2", "\uFFE0"},  // CENT SIGN -> FULLWIDTH CENT SIGN, 0x8191
    {"\u00A3", "\uFFE1"},  // POUND SIGN -> FULLWIDTH POUND SIGN, 0x8192
    {"\u00AC", "\uFFE2"},  // NOT SIGN -> FULLWIDTH NOT SIGN, 0x81CA
};

std::string WithWindowsForms(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const auto& [jis, windows] : kWindowsForms) {
            if (text.substr(i).starts_with(jis)) {
                out += windows;
                i += jis.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// How many bytes an undecodable Windows-31J sequence covers, replaced by U+FFFD. A lead byte
// takes its trail byte along only when that byte could not start a character itself, so an ASCII
// character after a stray lead byte survives.
std::size_t Cp932Replaced(std::string_view rest, std::string& out) {
    out += kReplacement;
    if (rest.size() >= 2 && IsCp932Lead(Byte(rest, 0))) {
        const unsigned char trail = Byte(rest, 1);
        if (trail >= 0x80 && trail <= 0xFC)
            return 2;
    }
    return 1;
}

// What Windows makes of an undecodable Windows-31J sequence (MultiByteToWideChar on code page
// 932): a lead byte takes the next byte along as its trail whatever that byte is, and the pair
// reads as the code page's default character U+30FB; the single bytes 0x80, 0xA0 and 0xFD to 0xFF
// have code points of their own. Appends the text and returns how many bytes it covers.
std::size_t Cp932Undecodable(std::string_view rest, std::string& out) {
    const unsigned char lead = Byte(rest, 0);
    switch (lead) {
        case 0x80:
            out += "\xC2\x80";  // U+0080
            return 1;
        case 0xA0:
            out += "\xEF\xA3\xB0";  // U+F8F0
            return 1;
        case 0xFD:
        case 0xFE:
        case 0xFF:
            out += "\xEF\xA3";
            out += static_cast<char>(0xB1 + (lead - 0xFD));  // U+F8F1 to U+F8F3
            return 1;
        default:
            break;
    }
    out += "\xE3\x83\xBB";  // U+30FB
    return (rest.size() >= 2 && IsCp932Lead(lead)) ? 2 : 1;
}

// Runs iconv over the whole input. A bad sequence either is replaced (bad != nullptr, which
// appends the replacement and says how many bytes it covers) or stops the conversion (returns
// false).
bool RunIconv(iconv_t cd, std::string_view input, std::string& out,
              std::size_t (*bad)(std::string_view, std::string&)) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char chunk[4096];
    while (inLeft > 0) {
        char* next = chunk;
        std::size_t nextLeft = sizeof chunk;
        const std::size_t result = iconv(cd, &in, &inLeft, &next, &nextLeft);
        out.append(chunk, static_cast<std::size_t>(next - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        if (bad == nullptr)
            return false;
        const std::size_t skip = bad(std::string_view(in, inLeft), out);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

void* OpenIconv(const char* to, const char* from, bool* failed) {
    if (*failed)
        return nullptr;
    const iconv_t cd = iconv_open(to, from);
    if (cd == kNoIconv) {
        *failed = true;
        return nullptr;
    }
    return cd;
}

}  // namespace

DetectedEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE"))
        return {Encoding::kUtf16Le, 2};
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {Encoding::kUtf8, 3};
    if (IsValidUtf8(bytes))
        return {Encoding::kUtf8, 0};
    return {Encoding::kCp932, 0};
}

// Only texts that needed iconv are kept, so an empty entry never matches one.
template <typename Result>
const Result* CodePageConverter::Recent<Result>::Find(std::string_view text) const {
    for (const Entry& entry : entries) {
        if (!entry.text.empty() && entry.text == text)
            return &entry.result;
    }
    return nullptr;
}

template <typename Result>
void CodePageConverter::Recent<Result>::Keep(std::string_view text, const Result& result) {
    Entry& entry = entries[next];
    entry.text = text;
    entry.result = result;
    next = (next + 1) % std::size(entries);
}

CodePageConverter::CodePageConverter(Encoding encoding, Undecodable undecodable)
    : encoding_(encoding), undecodable_(undecodable) {}

CodePageConverter::~CodePageConverter() {
    if (toUtf8_ != nullptr)
        iconv_close(AsIconv(toUtf8_));
    if (fromUtf8_ != nullptr)
        iconv_close(AsIconv(fromUtf8_));
}

std::string CodePageConverter::ToUtf8(std::string_view bytes) {
    switch (encoding_) {
        case Encoding::kUtf8:
            return IsValidUtf8(bytes) ? std::string(bytes) : Utf8Lossy(bytes);
        case Encoding::kUtf16Le:
            return Utf16LeToUtf8(bytes);
        case Encoding::kCp932:
            return Cp932ToUtf8(bytes);
    }
    return {};
}

std::optional<std::string> CodePageConverter::FromUtf8(std::string_view text) {
    if (!IsValidUtf8(text))
        return std::nullopt;
    switch (encoding_) {
        case Encoding::kUtf8:
            return std::string(text);
        case Encoding::kUtf16Le:
            return Utf8ToUtf16Le(text);
        case Encoding::kCp932:
            return Utf8ToCp932(text);
    }
    return std::nullopt;
}

std::string CodePageConverter::Cp932ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes))
        return std::string(bytes);
    if (const std::string* known = decoded_.Find(bytes))
        return *known;
    if (toUtf8_ == nullptr)
        toUtf8_ = OpenIconv("UTF-8", "CP932", &toUtf8Failed_);
    std::string out;
    if (toUtf8_ == nullptr) {
        // Without a converter only ASCII is known; everything else is shown as unreadable.
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) {
                out += c;
            } else {
                out += kReplacement;
            }
        }
        return out;
    }
    out.reserve(bytes.size() * 3 / 2);
    RunIconv(AsIconv(toUtf8_), bytes, out,
             undecodable_ == Undecodable::kAsWindows ? Cp932Undecodable : Cp932Replaced);
    decoded_.Keep(bytes, out);
    return out;
}

std::optional<std::string> CodePageConverter::Utf8ToCp932(std::string_view input) {
    if (IsAscii(input))
        return std::string(input);
    if (const std::optional<std::string>* known = encoded_.Find(input))
        return *known;
    const std::string text = WithWindowsForms(input);
    if (fromUtf8_ == nullptr)
        fromUtf8_ = OpenIconv("CP932", "UTF-8", &fromUtf8Failed_);
    if (fromUtf8_ == nullptr)
        return std::nullopt;
    std::optional<std::string> out(std::in_place);
    // iconv maps a few characters (the yen sign, the overline) onto codes that read back as
    // something else; only an exact round trip keeps what the caller wrote.
    if (!RunIconv(AsIconv(fromUtf8_), text, *out, nullptr) || Cp932ToUtf8(*out) != text)
        out.reset();
    encoded_.Keep(input, out);
    return out;
}

}  // namespace tessel
