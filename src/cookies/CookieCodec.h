#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The character set a store keeps cookie names and values in, converting from and to the UTF-8
// the program uses inside.
class CookieCodec {
  public:
    virtual ~CookieCodec() = default;

    // Empty when text holds a character the character set cannot carry.
    virtual std::optional<std::string> Encode(std::string_view text) = 0;
    // Empty when bytes are not text of the character set.
    virtual std::optional<std::string> Decode(std::string_view bytes) = 0;
    virtual bool IsUtf8() const = 0;
};

}  // namespace tessel
