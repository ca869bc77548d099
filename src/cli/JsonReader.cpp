#include "cli/JsonReader.h"

#include <cstdint>
#include <stdexcept>

#include "cli/Utf8.h"

namespace tessel::cli {
namespace {

constexpr int kMaxDepth = 64;

struct SyntaxError : std::runtime_error {
    SyntaxError(std::size_t where, const char* what) : std::runtime_error(what), at(where) {}
    std::size_t at;
};

class Reader {
  public:
    Reader(std::string_view text, std::size_t maxValues) : text_(text), valuesLeft_(maxValues) {}

    JsonValue Document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            at_ = 3;  // editors on Windows like to start UTF-8 files with a byte-order mark
        JsonValue value = Value(0);
        SkipSpace();
        if (at_ != text_.size())
            Fail("unexpected text after the value");
        return value;
    }

  private:
    [[noreturn]] void Fail(const char* what) const { throw SyntaxError(at_, what); }

    bool AtEnd() const { return at_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++at_;
    }

    void Expect(char c, const char* what) {
        SkipSpace();
        if (Peek() != c)
            Fail(what);
        ++at_;
    }

    JsonValue Value(int depth) {
        SkipSpace();
        if (valuesLeft_-- == 0)
            Fail("more values than the document can hold");
        switch (Peek()) {
            case '{':
                return ObjectValue(depth);
            case '[':
                return ArrayValue(depth);
            case '"':
                return JsonValue::String(StringText());
            case 't':
                return Literal("true", JsonValue::Bool(true));
            case 'f':
                return Literal("false", JsonValue::Bool(false));
            case 'n':
                return Literal("null", JsonValue());
            default:
                return Number();
        }
    }

    JsonValue Literal(std::string_view word, JsonValue value) {
        if (text_.substr(at_, word.size()) != word)
            Fail("unknown word");
        at_ += word.size();
        return value;
    }

    // Runs item for each element of a bracketed, comma-separated list.
    template <typename Item>
    void List(char close, Item item) {
        ++at_;
        SkipSpace();
        if (Peek() == close) {
            ++at_;
            return;
        }
        for (;;) {
            item();
            SkipSpace();
            if (Peek() == close) {
                ++at_;
                return;
            }
            Expect(',', "expected ',' or the end of the list");
        }
    }

    // depth counts the lists around the one that opens here.
    void Enter(int depth) const {
        if (depth >= kMaxDepth)
            Fail("nested too deeply");
    }

    JsonValue ArrayValue(int depth) {
        Enter(depth);
        JsonValue array = JsonValue::Array();
        List(']', [&] { array.Push(Value(depth + 1)); });
        return array;
    }

    JsonValue ObjectValue(int depth) {
        Enter(depth);
        JsonValue object = JsonValue::Object();
        List('}', [&] {
            SkipSpace();
            if (Peek() != '"')
                Fail("expected a member name in quotes");
            std::string key = StringText();
            Expect(':', "expected ':' after the member name");
            object.Add(std::move(key), Value(depth + 1));
        });
        return object;
    }

    std::size_t Digits() {
        const std::size_t start = at_;
        while (Peek() >= '0' && Peek() <= '9')
            ++at_;
        return at_ - start;
    }

    JsonValue Number() {
        const std::size_t start = at_;
        if (Peek() == '-')
            ++at_;
        const char first = Peek();
        const std::size_t whole = Digits();
        if (whole == 0)
            Fail(at_ == start ? "expected a value" : "expected digits");
        if (first == '0' && whole > 1)
            Fail("a number may not start with 0");
        if (Peek() == '.') {
            ++at_;
            if (Digits() == 0)
                Fail("expected digits after '.'");
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-')
                ++at_;
            if (Digits() == 0)
                Fail("expected digits in the exponent");
        }
        return JsonValue::NumberText(std::string(text_.substr(start, at_ - start)));
    }

    std::string StringText() {
        ++at_;
        std::string text;
        for (;;) {
            if (AtEnd())
                Fail("unterminated string");
            const char c = Peek();
            if (c == '"') {
                ++at_;
                return text;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            if (c == '\\')
                Escape(text);
            else
                RawCharacter(text);
        }
    }

    void RawCharacter(std::string& text) {
        const std::size_t start = at_;
        if (!NextCodePoint(text_, at_))
            Fail("not UTF-8");
        text.append(text_.substr(start, at_ - start));
    }

    void Escape(std::string& text) {
        ++at_;
        const char c = Peek();
        ++at_;
        switch (c) {
            case '"':
                text += '"';
                return;
            case '\\':
                text += '\\';
                return;
            case '/':
                text += '/';
                return;
            case 'b':
                text += '\b';
                return;
            case 'f':
                text += '\f';
                return;
            case 'n':
                text += '\n';
                return;
            case 'r':
                text += '\r';
                return;
            case 't':
                text += '\t';
                return;
            case 'u':
                AppendUtf8(text, EscapedCodePoint());
                return;
            default:
                --at_;
                Fail("unknown escape");
        }
    }

    char32_t EscapedCodePoint() {
        const char32_t first = Hex4();
        if (first >= 0xDC00 && first <= 0xDFFF)
            Fail("lone low surrogate");
        if (first < 0xD800 || first > 0xDBFF)
            return first;
        if (text_.substr(at_, 2) != "\\u")
            Fail("lone high surrogate");
        at_ += 2;
        const char32_t second = Hex4();
        if (second < 0xDC00 || second > 0xDFFF)
            Fail("lone high surrogate");
        return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    }

    char32_t Hex4() {
        char32_t value = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            const char c = Peek();
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                Fail("expected four hexadecimal digits");
            value = value * 16 + static_cast<char32_t>(digit);
        }
        return value;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t valuesLeft_;
};

std::string Where(std::string_view text, std::size_t at) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
}

}  // namespace

std::optional<JsonValue> ReadJson(std::string_view text, std::string& error,
                                  std::size_t maxValues) {
    try {
        return Reader(text, maxValues).Document();
    } catch (const SyntaxError& failure) {
        error = Where(text, failure.at) + ": " + failure.what();
        return std::nullopt;
    }
}

}  // namespace tessel::cli
