// The cookie escapes: decoding never fails, and decoding an encoding gives the text back with
// every ";" as "$".
#include <string>

#include "FuzzSupport.h"
#include "board/CookieEscaping.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    DecodeValue(text);
    std::string expected(text);
    for (char& c : expected) {
        if (c == ';')
            c = '$';
    }
    fuzz::Check(DecodeValue(EncodeValue(text)) == expected, "decode(encode(text)) is the text");
    return 0;
}
