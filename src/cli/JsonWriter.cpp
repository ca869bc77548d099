#include "cli/JsonWriter.h"

#include <cstdio>
#include <optional>

#include "cli/TerminalSafeText.h"
#include "cli/Utf8.h"

namespace tessel::cli {
namespace {

// Control characters, DEL, C1 controls and bidirectional overrides are escaped, so that no text
// from outside acts on a terminal the document is shown on.
void WriteString(std::string& out, const std::string& text) {
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const std::optional<char32_t> c = NextCodePoint(text, at);
        if (!c) {
            out += text[at++];  // not UTF-8: passed on as it is
            continue;
        }
        switch (*c) {
            case U'"':
                out += "\\\"";
                break;
            case U'\\':
                out += "\\\\";
                break;
            case U'\n':
                out += "\\n";
                break;
            case U'\r':
                out += "\\r";
                break;
            case U'\t':
                out += "\\t";
                break;
            default:
                if (ActsOnTerminal(*c)) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(*c));
                    out += escape;
                } else {
                    out.append(text, start, at - start);
                }
        }
    }
    out += '"';
}

void NewLine(std::string& out, int depth) {
    out += '\n';
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
}

void Write(std::string& out, const JsonValue& value, int depth);

// Writes each element on its own line between open and close; an empty list stays on one line.
template <typename Items, typename WriteItem>
void WriteList(std::string& out, const Items& items, char open, char close, int depth,
               WriteItem writeItem) {
    out += open;
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            out += ',';
        first = false;
        NewLine(out, depth + 1);
        writeItem(item);
    }
    if (!items.empty())
        NewLine(out, depth);
    out += close;
}

void Write(std::string& out, const JsonValue& value, int depth) {
    switch (value.GetKind()) {
        case JsonValue::Kind::kNull:
            out += "null";
            break;
        case JsonValue::Kind::kBool:
            out += value.AsBool() ? "true" : "false";
            break;
        case JsonValue::Kind::kNumber:
            out += value.Text();
            break;
        case JsonValue::Kind::kString:
            WriteString(out, value.Text());
            break;
        case JsonValue::Kind::kArray:
            WriteList(out, value.Items(), '[', ']', depth,
                      [&](const JsonValue& item) { Write(out, item, depth + 1); });
            break;
        case JsonValue::Kind::kObject:
            WriteList(out, value.Members(), '{', '}', depth, [&](const JsonMember& member) {
                WriteString(out, member.key);
                out += ": ";
                Write(out, member.value, depth + 1);
            });
            break;
    }
}

}  // namespace

std::string WriteJson(const JsonValue& value) {
    std::string out;
    Write(out, value, 0);
    return out;
}

}  // namespace tessel::cli
