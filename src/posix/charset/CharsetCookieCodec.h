#pragma once

#include "cookies/CookieCharset.h"
#include "cookies/CookieCodec.h"
#include "posix/charset/CodePage.h"

namespace tessel {

// Cookie text in the character set the reader chose, through iconv.
class CharsetCookieCodec : public CookieCodec {
  public:
    explicit CharsetCookieCodec(CookieCharset charset);

    std::optional<std::string> Encode(std::string_view text) override;
    std::optional<std::string> Decode(std::string_view bytes) override;
    bool IsUtf8() const override { return charset_ == CookieCharset::kUtf8; }

  private:
    CookieCharset charset_;
    CodePageConverter converter_;
};

}  // namespace tessel
