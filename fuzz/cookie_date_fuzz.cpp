// The expiry-date parser and the Set-Cookie data around it: a date read and written in the form
// the boards use reads back as the same moment.
#include "FuzzSupport.h"
#include "cookies/CookieDate.h"
#include "cookies/CookieDateParser.h"
#include "cookies/SetCookieData.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    ParseSetCookieData(text);
    const auto seconds = ParseCookieDate(text);
    if (!seconds)
        return 0;
    const SystemTime time = FromUnixSeconds(*seconds);
    if (time.year < 1601 || time.year > 9999)
        return 0;
    fuzz::Check(ParseCookieDate(FormatCookieDate(time)) == seconds, "a formatted date reads back");
    return 0;
}
