#include "posix/ProfileDocument.h"

#include <algorithm>
#include <cstdint>

#include "settings/TextCase.h"

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

// Classifies one decoded line the way the Windows profile functions read it, leaving the header
// name or the section-read text in scratch.
ProfileLine::Kind Classify(std::string_view decoded, std::string& scratch) {
    scratch.clear();
    const std::string_view text = Trim(decoded);
    if (text.empty())
        return ProfileLine::Kind::kBlank;
    if (text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            scratch += CutAtNul(Trim(text.substr(1, close - 1)));
            return ProfileLine::Kind::kHeader;
        }
    }
    if (text.front() == ';')
        return ProfileLine::Kind::kComment;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        scratch += CutAtNul(text);
    } else {
        scratch += CutAtNul(TrimEnd(text.substr(0, equals)));
        scratch += '=';
        scratch += CutAtNul(TrimStart(text.substr(equals + 1)));
    }
    // A line that is nothing but a NUL and what follows it says nothing.
    return scratch.empty() ? ProfileLine::Kind::kBlank : ProfileLine::Kind::kText;
}

// Calls fn(const ScannedLine&) for every line of bytes, in order.
template <typename Fn>
void ScanLines(std::string_view bytes, const DetectedEncoding& detected, Fn fn) {
    const bool wide = detected.encoding == Encoding::kUtf16Le;
    const std::size_t unit = wide ? 2 : 1;
    const std::size_t size = bytes.size();
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const auto low = static_cast<unsigned char>(bytes[i]);
        return wide ? low | (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1]))
                             << 8)
                    : low;
    };

    // A file that is valid UTF-8 throughout needs no conversion: its lines are read in place.
    const bool plainUtf8 = detected.encoding == Encoding::kUtf8 &&
                           (detected.bomSize == 0 || IsValidUtf8(bytes.substr(detected.bomSize)));
    CodePageConverter converter(detected.encoding, Undecodable::kAsWindows);
    std::string scratch;
    ScannedLine line;
    std::size_t pos = detected.bomSize;
    while (pos < size) {
        line.begin = pos;
        line.terminated = false;
        line.lineEnd = {};
        std::size_t i = pos;
        if (wide) {
            for (; i + unit <= size; i += unit) {
                const std::uint32_t u = unitAt(i);
                if (u == '\r' || u == '\n')
                    break;
            }
        } else {
            for (; i < size; ++i) {
                const char c = bytes[i];
                if (c == '\r' || c == '\n')
                    break;
            }
        }
        // A trailing half code unit of a UTF-16 file belongs to the last line.
        const std::size_t contentEnd = i + unit <= size ? i : size;
        line.end = contentEnd;
        if (contentEnd < size) {
            line.terminated = true;
            line.end += unit;
            if (unitAt(i) == '\r' && line.end + unit <= size && unitAt(line.end) == '\n') {
                line.end += unit;
            }
            line.lineEnd = bytes.substr(contentEnd, line.end - contentEnd);
        }
        // The whole line is classified; its parts are then cut at their NULs (see CutAtNul).
        const std::string_view raw = bytes.substr(pos, contentEnd - pos);
        line.kind = plainUtf8 ? Classify(raw, scratch) : Classify(converter.ToUtf8(raw), scratch);
        line.text = scratch;
        fn(line);
        pos = line.end;
    }
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

void ProfileDocument::ForEachLine(
    std::string_view bytes, const std::function<void(ProfileLine::Kind, std::string_view)>& fn) {
    ScanLines(bytes, DetectEncoding(bytes),
              [&](const ScannedLine& line) { fn(line.kind, line.text); });
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
