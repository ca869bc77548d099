#include "settings/NumericText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "settings/RuntimeError.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

struct DecimalText {
    bool negative = false;
    std::string_view whole;     // digits before the separator, possibly empty
    std::string_view fraction;  // digits after it, possibly empty
};

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view TakeDigits(std::string_view& text) {
    std::size_t count = 0;
    while (count < text.size() && text[count] >= '0' && text[count] <= '9')
        ++count;
    std::string_view digits = text.substr(0, count);
    text.remove_prefix(count);
    return digits;
}

std::optional<DecimalText> ParseDecimal(std::string_view text) {
    text = TrimSpaces(text);
    DecimalText number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    number.whole = TakeDigits(text);
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        number.fraction = TakeDigits(text);
    }
    if (!text.empty() || (number.whole.empty() && number.fraction.empty()))
        return std::nullopt;
    return number;
}

[[noreturn]] void ThrowTypeMismatch() {
    throw RuntimeError(kErrTypeMismatch, "Type mismatch");
}
[[noreturn]] void ThrowOverflow() {
    throw RuntimeError(kErrOverflow, "Overflow");
}

DecimalText ParseOrThrow(std::string_view text) {
    auto number = ParseDecimal(text);
    if (!number)
        ThrowTypeMismatch();
    return *number;
}

// The nearest whole number to the decimal text, ties to even, if it lies within [low, high].
std::int64_t RoundHalfEven(const DecimalText& number, std::int64_t low, std::int64_t high) {
    std::string_view whole = number.whole;
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    if (whole.size() > 12)
        ThrowOverflow();  // far beyond any range asked for here
    std::int64_t magnitude = 0;
    for (char digit : whole)
        magnitude = magnitude * 10 + (digit - '0');

    const std::string_view fraction = number.fraction;
    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        const bool up = first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1));
        if (up)
            ++magnitude;
    }
    const std::int64_t value = number.negative ? -magnitude : magnitude;
    if (value < low || value > high)
        ThrowOverflow();
    return value;
}

// The number as a double; +-infinity when it lies beyond the double range.
double ToDouble(const DecimalText& number) {
    std::string text;
    text.reserve(number.whole.size() + number.fraction.size() + 3);
    if (number.negative)
        text += '-';
    text += number.whole.empty() ? std::string_view("0") : number.whole;
    if (!number.fraction.empty()) {
        text += '.';
        text += number.fraction;
    }
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Either too large (overflow) or too small (an underflow that is simply zero).
        const bool tiny = number.whole.find_first_not_of('0') == std::string_view::npos;
        if (tiny)
            return number.negative ? -0.0 : 0.0;
        return number.negative ? -HUGE_VAL : HUGE_VAL;
    }
    (void)end;
    return value;
}

}  // namespace

std::int16_t ToInteger(std::string_view text) {
    return static_cast<std::int16_t>(RoundHalfEven(ParseOrThrow(text), -32768, 32767));
}

std::int32_t ToLong(std::string_view text) {
    return static_cast<std::int32_t>(RoundHalfEven(ParseOrThrow(text),
                                                   std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max()));
}

float ToSingle(std::string_view text) {
    const double value = ToDouble(ParseOrThrow(text));
    if (std::fabs(value) > 3.402823466E+38)
        ThrowOverflow();
    return static_cast<float>(value);
}

bool ToBoolean(std::string_view text) {
    const std::string_view word = TrimSpaces(text);
    if (EqualsIgnoreCase(word, "true"))
        return true;
    if (EqualsIgnoreCase(word, "false"))
        return false;
    const double value = ToDouble(ParseOrThrow(text));
    if (std::isinf(value))
        ThrowOverflow();
    return value != 0.0;
}

}  // namespace tessel
