#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The value of the cookie called name in a cookie text of entries "name=value" separated by ";"
// (and spaces after it): the first entry whose name is exactly name. nullopt when there is none.
// Only whole entry names count, so a name that merely occurs inside another cookie's name or value
// is not taken for this cookie.
std::optional<std::string> FindCookieValue(std::string_view cookieText, std::string_view name);

// Browsers drop a cookie whose name and value together exceed this many bytes.
inline constexpr std::size_t kMaxCookieBytes = 4096;

// Whether the text holds a control character (0x00 to 0x1F or 0x7F), which would end or split a
// cookie line in a store.
bool HasControlCharacter(std::string_view text);

// Whether url can name and address a board cookie: an http or https address that a browser would
// send the cookie to at the host it names, without ";", which would end the cookie's name.
bool IsCookieAddress(std::string_view url);

}  // namespace tessel
