#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tessel::cli {

// tessel's own English text (its help, its diagnostics and its words for failures) in the user's
// language, or english itself when there is no translation. Each platform supplies the
// implementation.
const char* Tr(const char* english);

// Takes the user's language from the locale and finds tessel's message catalog: in "locale"
// beside the executable (a build) or else in the installed locale folder. On Windows the
// catalog is built in, and the user's interface language chooses it.
void InitTranslations(const std::string& executableDirectory);

// Marks a constant's English text for the catalog; Tr translates it where it is used.
constexpr const char* TrLater(const char* english) {
    return english;
}

// pattern with each "%s" replaced by the next of values, in order.
inline std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text(pattern);
    std::size_t from = 0;
    for (std::string_view value : values) {
        const std::size_t at = text.find("%s", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

}  // namespace tessel::cli
