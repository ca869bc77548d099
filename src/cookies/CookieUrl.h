#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The parts of an address that decide which cookies go with a request to it.
struct CookieUrl {
    bool secure = false;  // https
    std::string host;     // lower case; an IP address in its canonical form, without brackets
    std::string path;     // from the first "/" up to "?" or "#", dot segments resolved
};

// The cookie-relevant parts of an http or https address, read the way browsers read it; nullopt
// for any other scheme and for an address a browser would refuse or send to another host than the
// text seems to name (a bracketed host that is not an IPv6 address, text after "]", a host name
// with characters no host name has, spaces or control characters anywhere).
std::optional<CookieUrl> ParseCookieUrl(std::string_view url);
// The same answer, kept by the thread until its next call, for callers that only look at it.
const std::optional<CookieUrl>& LastCookieUrl(std::string_view url);

// The path a cookie set without a Path attribute gets: RFC 6265 §5.1.4 default-path, but keeping
// the trailing "/" so that "/cgi-bin/" does not also reach "/cgi-binx".
std::string DefaultCookiePath(std::string_view requestPath);
// The same as a view into requestPath (or of "/"), for callers that only look at it.
std::string_view DefaultCookiePathView(std::string_view requestPath);

// Whether a host, as ParseCookieUrl gives it, is an IP address rather than a host name.
bool IsIpAddress(std::string_view host);

// RFC 6265 §5.1.3 domain-match: host equals domain, or ends in "." + domain and is a host name
// rather than an IP address. Both are expected in lower case, domain without a leading dot.
bool DomainMatches(std::string_view host, std::string_view domain);

// RFC 6265 §5.1.4 path-match.
bool PathMatches(std::string_view requestPath, std::string_view cookiePath);

}  // namespace tessel
