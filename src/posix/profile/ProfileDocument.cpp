#include "posix/profile/ProfileDocument.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/TextCase.h"

namespace tessel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimStart(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    return TrimEnd(TrimStart(text));
}

// A name, key or value ends at its first NUL: kernel32 takes the line apart first and hands each
// part on as a NUL-terminated string.
std::string_view CutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

}  // namespace

namespace {

// What one line of a file is and says. text is valid until the next line is scanned.
struct ScannedLine {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool terminated = false;
    std::string_view lineEnd;  // the bytes that end it, if any
    ProfileLine::Kind kind = ProfileLine::Kind::kBlank;
    std::string_view text;
};

// Classifies one decoded line the way the Windows profile functions read it, setting text to the
// header name or the section-read text: a view of the line, or of scratch when the line had to be
// taken apart.
// mayHaveNul is false when the caller knows the line has no NUL (lines almost never do).
ProfileLine::Kind Classify(std::string_view decoded, std::string& scratch, std::string_view& out,
                           bool mayHaveNul = true) {
    const std::string_view text = Trim(decoded);
    out = {};
    if (text.empty())
        return ProfileLine::Kind::kBlank;
    const bool hasNul = mayHaveNul && text.find('\0') != std::string_view::npos;
    const auto part = [hasNul](std::string_view piece) { return hasNul ? CutAtNul(piece) : piece; };
    if (text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            out = part(Trim(text.substr(1, close - 1)));
            return ProfileLine::Kind::kHeader;
        }
    }
    if (text.front() == ';')
        return ProfileLine::Kind::kComment;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        out = part(text);
    } else {
        const std::string_view key = part(TrimEnd(text.substr(0, equals)));
        const std::string_view value = part(TrimStart(text.substr(equals + 1)));
        if (key.size() == equals && value.data() == text.data() + equals + 1 &&
            value.size() == text.size() - equals - 1) {
            out = text;  // nothing trimmed or cut: the line reads as it stands
        } else {
            scratch.assign(key);
            scratch += '=';
            scratch += value;
            out = scratch;
        }
    }
    // A line that is nothing but a NUL and what follows it says nothing.
    return out.empty() ? ProfileLine::Kind::kBlank : ProfileLine::Kind::kText;
}

// Whether a line without NULs is a text line that a section read returns as it stands, as most
// lines are: nothing to trim at either end or around its first "=", and no header or comment.
// Classify gives the same for such a line; this only spares its work.
inline bool ReadsAsItStands(std::string_view line) {
    if (line.empty() || IsBlank(line.front()) || IsBlank(line.back()) || line.front() == '[' ||
        line.front() == ';') {
        return false;
    }
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ||
           ((equals == 0 || !IsBlank(line[equals - 1])) &&
            (equals + 1 == line.size() || !IsBlank(line[equals + 1])));
}

// Whether a file's bytes can be read as they are: UTF-8 without a byte-order mark (whose bytes
// were found valid when the encoding was detected), or with one and valid throughout.
bool IsPlainUtf8(std::string_view bytes, const DetectedEncoding& detected) {
    return detected.encoding == Encoding::kUtf8 &&
           (detected.bomSize == 0 || IsValidUtf8(bytes.substr(detected.bomSize)));
}

// Calls fn(begin, contentEnd, end) for every line of bytes, in order: the line's content is
// [begin, contentEnd), its line end (CR, LF or CRLF, if any) runs to end.
template <typename Fn>
void SplitLines(std::string_view bytes, const DetectedEncoding& detected, Fn fn) {
    const bool wide = detected.encoding == Encoding::kUtf16Le;
    const std::size_t unit = wide ? 2 : 1;
    const std::size_t size = bytes.size();
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const auto low = static_cast<unsigned char>(bytes[i]);
        return wide ? low | (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1]))
                             << 8)
                    : low;
    };
    std::size_t pos = detected.bomSize;
    std::size_t nextCr = 0;
    bool crSearched = false;
    while (pos < size) {
        std::size_t i = pos;
        if (wide) {
            for (; i + unit <= size; i += unit) {
                const std::uint32_t u = unitAt(i);
                if (u == '\r' || u == '\n')
                    break;
            }
        } else {
            // The next CR is looked for only once the last one found is passed: most files
            // have none, or one before every LF.
            if (!crSearched || nextCr < pos) {
                nextCr = std::min(bytes.find('\r', pos), size);
                crSearched = true;
            }
            i = std::min(std::min(bytes.find('\n', pos), size), nextCr);
        }
        // A trailing half code unit of a UTF-16 file belongs to the last line.
        const std::size_t contentEnd = i + unit <= size ? i : size;
        std::size_t end = contentEnd;
        if (contentEnd < size) {
            end += unit;
            if (unitAt(i) == '\r' && end + unit <= size && unitAt(end) == '\n')
                end += unit;
        }
        fn(pos, contentEnd, end);
        pos = end;
    }
}

// Calls fn(const ScannedLine&) for every line of bytes, in order.
template <typename Fn>
void ScanLines(std::string_view bytes, const DetectedEncoding& detected, Fn fn) {
    // A file that is valid UTF-8 throughout needs no conversion: its lines are read in place.
    const bool plainUtf8 = IsPlainUtf8(bytes, detected);
    CodePageConverter converter(detected.encoding, Undecodable::kAsWindows);
    std::string scratch;
    std::string decoded;
    ScannedLine line;
    SplitLines(bytes, detected, [&](std::size_t begin, std::size_t contentEnd, std::size_t end) {
        line.begin = begin;
        line.end = end;
        line.terminated = end > contentEnd;
        line.lineEnd = bytes.substr(contentEnd, end - contentEnd);
        // The whole line is classified; its parts are then cut at their NULs (see CutAtNul).
        const std::string_view raw = bytes.substr(begin, contentEnd - begin);
        if (!plainUtf8)
            decoded = converter.ToUtf8(raw);
        line.kind = Classify(plainUtf8 ? raw : std::string_view(decoded), scratch, line.text);
        fn(line);
    });
}

}  // namespace

ProfileDocument::ProfileDocument(std::string bytes)
    : bytes_(std::move(bytes)), detected_(DetectEncoding(bytes_)) {
    Split();
}

void ProfileDocument::Split() {
    const std::string_view body = std::string_view(bytes_).substr(detected_.bomSize);
    lines_.reserve(static_cast<std::size_t>(std::count(body.begin(), body.end(), '\n')) + 1);
    ScanLines(bytes_, detected_, [&](const ScannedLine& scanned) {
        if (lineEnd_.empty() && scanned.terminated)
            lineEnd_ = scanned.lineEnd;
        ProfileLine line;
        line.begin = scanned.begin;
        line.end = scanned.end;
        line.terminated = scanned.terminated;
        line.kind = scanned.kind;
        line.textOffset = texts_.size();
        line.textSize = scanned.text.size();
        texts_ += scanned.text;
        lines_.push_back(line);
    });
    if (lineEnd_.empty())
        lineEnd_ = *CodePageConverter(detected_.encoding).FromUtf8("\n");
}

std::string ProfileDocument::SectionTexts(
    std::string_view bytes, const std::function<void(std::string_view, std::size_t)>& header) {
    class Headers : public SectionReader {
      public:
        explicit Headers(const std::function<void(std::string_view, std::size_t)>& header)
            : header_(header) {}
        void Header(std::string_view name, std::size_t at) override { header_(name, at); }
        void Text(std::string_view, std::size_t) override {}

      private:
        const std::function<void(std::string_view, std::size_t)>& header_;
    } headers(header);
    return SectionTexts(bytes, headers);
}

std::string ProfileDocument::SectionTexts(std::string_view bytes, SectionReader& reader) {
    return Scan(bytes, reader, true);
}

void ProfileDocument::ScanSections(std::string_view bytes, SectionReader& reader) {
    Scan(bytes, reader, false);
}

std::string ProfileDocument::Scan(std::string_view bytes, SectionReader& reader, bool keepTexts) {
    const DetectedEncoding detected = DetectEncoding(bytes);
    const bool plainUtf8 = IsPlainUtf8(bytes, detected);
    // Lines almost never hold a NUL: one look at the whole file spares one per line.
    const bool mayHaveNul = !plainUtf8 || bytes.find('\0') != std::string_view::npos;
    // Written in place: the string's size runs a little ahead of the texts, and is cut at the end.
    std::string texts;
    if (keepTexts)
        texts.reserve(bytes.size() + 1);
    std::size_t used = 0;
    std::string scratch;
    const auto text = [&](std::string_view line, std::size_t keySize) {
        if (!keepTexts) {
            reader.Text(line, keySize);
            return;
        }
        if (texts.size() - used < line.size() + 1)
            texts.resize(used + std::max<std::size_t>(line.size() + 1, 1024));
        char* const out = texts.data() + used;
        std::memcpy(out, line.data(), line.size());
        out[line.size()] = '\0';
        used += line.size() + 1;
        reader.Text(line, keySize);
    };
    const auto classified = [&](std::string_view line) {
        std::string_view read;
        switch (Classify(line, scratch, read, mayHaveNul)) {
            case ProfileLine::Kind::kHeader:
                reader.Header(read, used);
                break;
            case ProfileLine::Kind::kText:
                text(read, std::min(read.find('='), read.size()));
                break;
            default:
                break;
        }
    };
    if (plainUtf8 && !mayHaveNul && bytes.find('\r') == std::string_view::npos) {
        // Plain UTF-8 with no NUL and no CR, as nearly every board list is: its lines end at each
        // LF, and most read as they stand, which is told from their ends and the bytes around
        // their first "=" without classifying them.
        const char* at = bytes.data() + detected.bomSize;
        const char* const end = bytes.data() + bytes.size();
        while (at != end) {
            const auto* lineFeed = static_cast<const char*>(std::memchr(at, '\n', end - at));
            const char* const lineEnd = lineFeed != nullptr ? lineFeed : end;
            const std::string_view line(at, static_cast<std::size_t>(lineEnd - at));
            at = lineFeed != nullptr ? lineFeed + 1 : end;
            if (line.empty())
                continue;
            const char first = line.front();
            if (first != '[' && first != ';' && !IsBlank(first) && !IsBlank(line.back())) {
                const auto* equals =
                    static_cast<const char*>(std::memchr(line.data(), '=', line.size()));
                if (equals == nullptr) {
                    text(line, line.size());
                    continue;
                }
                if ((equals == line.data() || !IsBlank(equals[-1])) &&
                    (equals + 1 == lineEnd || !IsBlank(equals[1]))) {
                    text(line, static_cast<std::size_t>(equals - line.data()));
                    continue;
                }
            }
            classified(line);
        }
        texts.resize(used);
        return texts;
    }
    CodePageConverter converter(detected.encoding, Undecodable::kAsWindows);
    std::string converted;
    SplitLines(bytes, detected, [&](std::size_t begin, std::size_t contentEnd, std::size_t) {
        std::string_view line = bytes.substr(begin, contentEnd - begin);
        if (!plainUtf8) {
            converted = converter.ToUtf8(line);
            line = converted;
        }
        if (!mayHaveNul && ReadsAsItStands(line))
            text(line, std::min(line.find('='), line.size()));
        else
            classified(line);
    });
    texts.resize(used);
    return texts;
}

std::optional<std::string> ProfileDocument::WithSection(
    std::string_view section, const std::vector<std::string>& lines) const {
    CodePageConverter converter(detected_.encoding);
    std::string body;
    for (const std::string& text : lines) {
        const std::optional<std::string> encoded = converter.FromUtf8(text);
        if (!encoded)
            return std::nullopt;
        body += *encoded;
        body += lineEnd_;
    }

    // The section's lines run from its header to the next header. The part before the first
    // header is the section named "", which is always there.
    constexpr std::size_t kAbsent = std::string::npos;
    std::size_t first = kAbsent;  // index of the section's first line
    if (section.empty()) {
        first = 0;
    } else {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind == ProfileLine::Kind::kHeader &&
                NamesEqualIgnoreCase(Text(lines_[i]), section)) {
                first = i + 1;
                break;
            }
        }
    }

    // Text placed after half a code unit of a UTF-16 file would read back misaligned.
    if (detected_.encoding == Encoding::kUtf16Le && (bytes_.size() - detected_.bomSize) % 2 != 0)
        return std::nullopt;

    std::string out;
    if (first == kAbsent) {
        // Not found: append the section, after a line end if the last line lacks one.
        const std::optional<std::string> header =
            converter.FromUtf8("[" + std::string(section) + "]");
        if (!header)
            return std::nullopt;
        out = bytes_;
        if (!lines_.empty() && !lines_.back().terminated)
            out += lineEnd_;
        out += *header;
        out += lineEnd_;
        out += body;
    } else {
        std::size_t next = first;
        while (next < lines_.size() && lines_[next].kind != ProfileLine::Kind::kHeader)
            ++next;
        // Blank and comment lines right before the next header set it apart or describe it;
        // they stay with it.
        std::size_t keep = next;
        if (next < lines_.size()) {
            while (keep > first && (lines_[keep - 1].kind == ProfileLine::Kind::kBlank ||
                                    lines_[keep - 1].kind == ProfileLine::Kind::kComment)) {
                --keep;
            }
        }
        const std::size_t replaceBegin = first == 0 ? detected_.bomSize : lines_[first - 1].end;
        const std::size_t replaceEnd = keep < lines_.size() ? lines_[keep].begin : bytes_.size();
        out.reserve(bytes_.size() + body.size());
        out.append(bytes_, 0, replaceBegin);
        if (first > 0 && !lines_[first - 1].terminated && !body.empty())
            out += lineEnd_;
        out += body;
        out.append(bytes_, replaceEnd);
    }

    // The new bytes must be taken for the same encoding when read again, or the untouched lines
    // would change meaning. A Windows-31J file left with nothing but ASCII reads the same as UTF-8.
    const DetectedEncoding after = DetectEncoding(out);
    const bool same = after.encoding == detected_.encoding && after.bomSize == detected_.bomSize;
    if (!same && !(detected_.encoding == Encoding::kCp932 && IsAscii(out)))
        return std::nullopt;
    return out;
}

}  // namespace tessel
