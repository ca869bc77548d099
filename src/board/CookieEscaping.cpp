#include "board/CookieEscaping.h"

#include <utility>

namespace tessel {
namespace {

using Step = std::pair<std::string_view, std::string_view>;

constexpr Step kEncodeSteps[] = {
    {"&", "&amp$"}, {"\"", "&quot$"}, {"-", "&#45$"}, {";", "$"},
    {",", "&#44$"}, {"<", "&lt$"},    {">", "&gt$"},
};

constexpr Step kDecodeSteps[] = {
    {"&gt$", ">"}, {"&lt$", "<"}, {"&#44$", ","}, {"&#45$", "-"}, {"&quot$", "\""}, {"&amp$", "&"},
};

template <std::size_t N>
std::string ApplySteps(std::string_view text, const Step (&steps)[N]) {
    std::string result(text);
    for (const auto& [from, to] : steps)
        result = ReplaceAll(result, from, to);
    return result;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos;
         start = at + from.size()) {
        result.append(text, start, at - start);
        result.append(to);
    }
    result.append(text, start);
    return result;
}

std::string EncodeValue(std::string_view text) {
    return ApplySteps(text, kEncodeSteps);
}
std::string DecodeValue(std::string_view text) {
    return ApplySteps(text, kDecodeSteps);
}

}  // namespace tessel
