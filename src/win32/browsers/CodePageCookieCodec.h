#pragma once

#include "cookies/CookieCharset.h"
#include "cookies/CookieCodec.h"

namespace tessel {

// Cookie text in Windows-31J (code page 932), which the boards' scripts read, or in UTF-8, by
// kernel32's conversions. Nothing is replaced by a default character: text either converts
// exactly or is refused.
class CodePageCookieCodec : public CookieCodec {
  public:
    explicit CodePageCookieCodec(CookieCharset charset) : charset_(charset) {}

    std::optional<std::string> Encode(std::string_view text) override;
    std::optional<std::string> Decode(std::string_view bytes) override;
    bool IsUtf8() const override { return charset_ == CookieCharset::kUtf8; }

  private:
    CookieCharset charset_;
};

}  // namespace tessel
