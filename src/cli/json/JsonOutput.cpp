#include "cli/json/JsonOutput.h"

#include <cstdio>

#include "cli/terminal/TerminalSafeText.h"
#include "text/Utf8.h"

namespace tessel::cli {
namespace {

// The library escapes the C0 controls; what else acts on a terminal is above U+007E and can only
// stand inside a string, so escaping it in the finished text keeps the document valid.
std::string EscapeForTerminal(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x7F) {
            out += text[at++];
            continue;
        }
        const std::size_t start = at;
        const char32_t c = NextCodePoint(text, at);
        if (c == kNotUtf8) {
            out += text[at++];  // cannot happen after the library's replacement; passed on
        } else if (ActsOnTerminal(c)) {
            char escape[12];  // room for any code point, though these are all below U+10000
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.append(text, start, at - start);
        }
    }
    return out;
}

std::string Indented(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\n')
            out += "  ";
    }
    return out;
}

}  // namespace

std::string DumpJson(const Json& value) {
    return EscapeForTerminal(value.dump(2, ' ', false, Json::error_handler_t::replace));
}

JsonListWriter::JsonListWriter(std::ostream& out, char open, char close)
    : out_(out), close_(close) {
    out_ << open;
}

void JsonListWriter::Begin() {
    out_ << (empty_ ? "\n  " : ",\n  ");
    empty_ = false;
}

void JsonListWriter::Item(const Json& value) {
    Begin();
    out_ << Indented(DumpJson(value));
}

void JsonListWriter::Member(const std::string& key, const Json& value) {
    Begin();
    out_ << DumpJson(key) << ": " << Indented(DumpJson(value));
}

void JsonListWriter::Close() {
    out_ << (empty_ ? "" : "\n") << close_;
}

}  // namespace tessel::cli
