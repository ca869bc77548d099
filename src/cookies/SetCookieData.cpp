#include "cookies/SetCookieData.h"

#include "cookies/CookieDateParser.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A batch gives every cookie the same expiry text: the last one read is kept, for each thread.
std::optional<std::int64_t> ReadDate(std::string_view text) {
    thread_local std::string lastText;
    thread_local std::optional<std::int64_t> last;
    if (lastText.empty() || text != lastText) {
        last = ParseCookieDate(text);
        lastText.assign(text);
    }
    return last;
}

}  // namespace

std::optional<SetCookieData> ParseSetCookieData(std::string_view data) {
    const std::optional<SetCookieFields> fields = ReadSetCookieData(data);
    if (!fields)
        return std::nullopt;
    return SetCookieData{std::string(fields->value), fields->expires};
}

std::optional<SetCookieFields> ReadSetCookieData(std::string_view data) {
    const std::size_t semicolon = data.find(';');
    SetCookieFields result;
    result.value = TrimBlanks(data.substr(0, semicolon));
    if (semicolon == std::string_view::npos)
        return result;

    std::string_view attributes = data.substr(semicolon + 1);
    while (true) {
        const std::size_t end = attributes.find(';');
        const std::string_view attribute = TrimBlanks(attributes.substr(0, end));
        if (!attribute.empty()) {
            const std::size_t equals = attribute.find('=');
            if (equals == std::string_view::npos ||
                !EqualsLetterWord(TrimBlanks(attribute.substr(0, equals)), "expires")) {
                return std::nullopt;
            }
            result.expires = ReadDate(TrimBlanks(attribute.substr(equals + 1)));
            if (!result.expires)
                return std::nullopt;
        }
        if (end == std::string_view::npos)
            break;
        attributes.remove_prefix(end + 1);
    }
    return result;
}

}  // namespace tessel
