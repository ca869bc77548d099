#include "cookies/CookieText.h"

#include "cookies/CookieUrl.h"

namespace tessel {

std::optional<std::string> FindCookieValue(std::string_view cookieText, std::string_view name) {
    while (!cookieText.empty()) {
        const std::size_t end = cookieText.find(';');
        std::string_view entry = cookieText.substr(0, end);
        while (!entry.empty() && entry.front() == ' ')
            entry.remove_prefix(1);
        if (entry.size() > name.size() && entry.substr(0, name.size()) == name &&
            entry[name.size()] == '=') {
            return std::string(entry.substr(name.size() + 1));
        }
        if (end == std::string_view::npos)
            break;
        cookieText.remove_prefix(end + 1);
    }
    return std::nullopt;
}

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

bool IsCookieAddress(std::string_view url) {
    return url.find(';') == std::string_view::npos && LastCookieUrl(url).has_value();
}

}  // namespace tessel
