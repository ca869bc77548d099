// Code-page conversion both ways: decoding gives well-formed UTF-8 whatever the bytes, and text
// that converts to a code page comes back stable (the JIS forms turn into Windows' own once).
#include <string>

#include "FuzzSupport.h"
#include "posix/charset/CodePage.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    DetectEncoding(bytes);
    for (Encoding encoding : {Encoding::kCp932, Encoding::kUtf16Le, Encoding::kUtf8}) {
        CodePageConverter converter(encoding);
        const std::string text = converter.ToUtf8(bytes);
        fuzz::Check(IsValidUtf8(text), "decoded text is well-formed UTF-8");
        if (const auto encoded = converter.FromUtf8(text)) {
            const std::string back = converter.ToUtf8(*encoded);
            fuzz::Check(converter.FromUtf8(back) == encoded, "an encoding reads back stable");
        }
        if (IsValidUtf8(bytes)) {
            if (const auto encoded = converter.FromUtf8(bytes))
                fuzz::Check(IsValidUtf8(converter.ToUtf8(*encoded)), "encoded text decodes");
        }
    }
    return 0;
}
