// Address parsing: an address read once reads the same when written back from its parts.
#include <string>

#include "FuzzSupport.h"
#include "cookies/CookieText.h"
#include "cookies/CookieUrl.h"
#include "text/TextCase.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    IsCookieAddress(text);
    const auto url = ParseCookieUrl(text);
    if (!url)
        return 0;
    fuzz::Check(!url->host.empty() && url->path.starts_with('/'), "a host and an absolute path");
    fuzz::Check(url->host == FoldCase(url->host), "the host is in lower case");
    fuzz::Check(DomainMatches(url->host, url->host), "a host matches itself");
    fuzz::Check(PathMatches(url->path, DefaultCookiePath(url->path)), "the default path matches");
    const bool v6 = url->host.find(':') != std::string::npos;
    const std::string again = std::string(url->secure ? "https://" : "http://") +
                              (v6 ? "[" + url->host + "]" : url->host) + url->path;
    const auto reread = ParseCookieUrl(again);
    fuzz::Check(reread && reread->host == url->host && reread->path == url->path &&
                    reread->secure == url->secure,
                "an address written from its parts reads the same");
    return 0;
}
