#include "board/CookieEscaping.h"

#include <utility>

namespace tessel {
namespace {

// No escape is found inside another, nor made by another's result (each begins with the only
// "&" it has and ends with its only "$"), so one pass over the text does what the steps in their
// order would.
std::string_view EncodedForm(char c) {
    switch (c) {
        case '&':
            return "&amp$";
        case '"':
            return "&quot$";
        case '-':
            return "&#45$";
        case ';':
            return "$";
        case ',':
            return "&#44$";
        case '<':
            return "&lt$";
        case '>':
            return "&gt$";
        default:
            return {};
    }
}

constexpr std::pair<std::string_view, char> kDecodeSteps[] = {
    {"&gt$", '>'}, {"&lt$", '<'}, {"&#44$", ','}, {"&#45$", '-'}, {"&quot$", '"'}, {"&amp$", '&'},
};

}  // namespace

std::string EncodeValue(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    AppendEncodedValue(result, text);
    return result;
}

void AppendEncodedValue(std::string& out, std::string_view text) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view form = EncodedForm(text[i]);
        if (form.empty())
            continue;
        out.append(text, plain, i - plain).append(form);
        plain = i + 1;
    }
    out.append(text, plain);
}

std::string DecodeValue(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t plain = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos;
         at = text.find('&', at + 1)) {
        for (const auto& [escape, character] : kDecodeSteps) {
            if (text.substr(at).starts_with(escape)) {
                result.append(text, plain, at - plain) += character;
                plain = at + escape.size();
                at = plain - 1;
                break;
            }
        }
    }
    return result.append(text, plain);
}

}  // namespace tessel
