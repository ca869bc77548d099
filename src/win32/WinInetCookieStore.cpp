#include "win32/WinInetCookieStore.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <wininet.h>
// The interface's names are the ones wininet.h maps onto the A and W functions.
#undef InternetGetCookie
#undef InternetSetCookie

#include <algorithm>

#include "cookies/CookieDate.h"
#include "cookies/CookieRecord.h"
#include "cookies/CookieText.h"
#include "cookies/SetCookieData.h"
#include "win32/WideText.h"

namespace tessel {
namespace {

// The system's words for why the last WinINet call failed.
CookieDetails StoreError() {
    return CookieDetails().System(win32::ErrorText(GetLastError()));
}

// The values of every entry called name in a cookie text, in the order they are sent.
std::vector<std::string> ValuesOf(std::string_view text, std::string_view name) {
    std::vector<std::string> values;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find("; ", start), text.size());
        const std::string_view entry = text.substr(start, end - start);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            values.emplace_back(entry.substr(name.size() + 1));
        start = end + 2;
    }
    return values;
}

// A date long past: a cookie set with it is removed.
constexpr const char* kRemove = "; expires=Thu, 01-Jan-1970 00:00:01 GMT";

SystemTime Now() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, 0};
}

}  // namespace

std::optional<std::string> WinInetCookieStore::Read(const std::string& url, const std::string& name,
                                                    unsigned long flags) {
    CookieFailure reason;
    const std::optional<std::string> address = win32::ToAnsi(url, reason);
    const std::optional<std::string> cookieName =
        address ? win32::ToAnsi(name, reason) : std::nullopt;
    if (!cookieName) {
        Fail(reason);
        return std::nullopt;
    }
    DWORD size = 0;
    if (!InternetGetCookieExA(address->c_str(), cookieName->c_str(), nullptr, &size, flags,
                              nullptr)) {
        // Nothing stored for the address yet: the board simply has no cookie.
        if (GetLastError() == ERROR_NO_MORE_ITEMS) {
            Succeed();
            return std::string();
        }
        Fail(CookieProblem::kSystemReadFailed, StoreError());
        return std::nullopt;
    }
    std::string text(size + 1, '\0');
    if (!InternetGetCookieExA(address->c_str(), cookieName->c_str(), text.data(), &size, flags,
                              nullptr)) {
        Fail(CookieProblem::kSystemReadFailed, StoreError());
        return std::nullopt;
    }
    text.resize(text.find('\0'));
    Succeed();
    return win32::FromAnsi(text);
}

std::optional<std::string> WinInetCookieStore::InternetGetCookie(const std::string& url,
                                                                 const std::string& name) {
    std::optional<std::string> text = Read(url, name, 0);
    if (!text || name.empty())
        return text;
    // A cookie of the name that only an HttpOnly read, or a read over https, is given: stored but
    // out of this read's sight, and a write might replace it. Where it stands among the others
    // WinINet does not tell, so the name is left out altogether.
    const std::size_t seen = ValuesOf(*text, name).size();
    const std::optional<std::string> withHttpOnly = Read(url, name, INTERNET_COOKIE_HTTPONLY);
    CookieProblem hidden = CookieProblem::kNone;
    if (withHttpOnly && ValuesOf(*withHttpOnly, name).size() > seen) {
        hidden = CookieProblem::kStoredHttpOnly;
    } else if (url.starts_with("http://")) {
        const std::optional<std::string> overHttps = Read("https://" + url.substr(7), name, 0);
        if (overHttps && ValuesOf(*overHttps, name).size() > seen)
            hidden = CookieProblem::kStoredSecureOnHttp;
    }
    if (hidden == CookieProblem::kNone) {
        Succeed();
        return text;
    }
    std::string kept;
    for (std::size_t start = 0; start < text->size();) {
        const std::size_t end = std::min(text->find("; ", start), text->size());
        const std::string_view entry = std::string_view(*text).substr(start, end - start);
        if (!(entry.starts_with(name) && entry.size() > name.size() && entry[name.size()] == '='))
            kept += (kept.empty() ? "" : "; ") + std::string(entry);
        start = end + 2;
    }
    Fail(hidden);
    return kept;
}

bool WinInetCookieStore::Set(const std::string& url, const std::string& name,
                             const std::string& data) {
    CookieFailure reason;
    const std::optional<std::string> address = win32::ToAnsi(url, reason);
    const std::optional<std::string> cookieName =
        address ? win32::ToAnsi(name, reason) : std::nullopt;
    const std::optional<std::string> text = cookieName ? win32::ToAnsi(data, reason) : std::nullopt;
    if (!text)
        return Fail(reason);
    if (!InternetSetCookieA(address->c_str(), cookieName->c_str(), text->c_str()))
        return Fail(CookieProblem::kSystemWriteFailed, StoreError());
    Succeed();
    return true;
}

bool WinInetCookieStore::InternetSetCookie(const std::string& url, const std::string& name,
                                           const std::string& data) {
    const std::optional<std::string> before = InternetGetCookie(url, name);
    if (!before)
        return false;
    if (LastFailure())
        return false;
    if (!Set(url, name, data))
        return false;
    // Whether the write took effect: the address now reads what was written (or, for a removal,
    // whatever is left).
    const std::optional<SetCookieData> parsed = ParseSetCookieData(data);
    const std::optional<std::string> after = Read(url, name, 0);
    const std::vector<std::string> old = ValuesOf(*before, name);
    const std::vector<std::string> now = after ? ValuesOf(*after, name) : old;
    const bool removal = parsed && parsed->expires && *parsed->expires <= ToUnixSeconds(Now());
    if (!parsed || !after || removal || (!now.empty() && now.front() == parsed->value)) {
        Succeed();
        return true;
    }
    // A cookie sent before ours still answers for the address: take ours back (what it replaced
    // was the value that is no longer there) and say so.
    if (now.size() > old.size()) {
        Set(url, name, kRemove);
    } else {
        for (const std::string& value : old) {
            if (std::find(now.begin(), now.end(), value) == now.end()) {
                Set(url, name, value + data.substr(std::min(data.find(';'), data.size())));
                break;
            }
        }
    }
    return Fail(CookieProblem::kShadowedElsewhere);
}

std::optional<std::string> WinInetCookieStore::RecordCookie(const std::string& url,
                                                            const std::string& name) {
    const std::optional<std::string> text = Read(url, name, 0);
    if (!text)
        return std::nullopt;
    const std::optional<std::string> value = FindCookieValue(*text, name);
    return value ? JoinRecord("WinINet", {*value}) : JoinRecord("WinINet", {});
}

bool WinInetCookieStore::RestoreCookie(const std::string& url, const std::string& name,
                                       const std::string& before, const std::string& written) {
    const auto fields = SplitRecord("WinINet", before);
    if (!fields || fields->size() > 1 || !SplitRecord("WinINet", written))
        return Fail(CookieProblem::kRecordNotStores, CookieDetails().Name("WinINet"));
    const std::optional<std::string> current = RecordCookie(url, name);
    if (!current)
        return false;
    if (*current == before)
        return true;
    if (*current != written) {
        return Fail(CookieProblem::kChangedSinceWrite);
    }
    return Set(url, name,
               fields->empty()
                   ? std::string(kRemove)
                   : fields->front() + "; expires=" + FormatCookieDate(AddDays(Now(), 120)));
}

}  // namespace tessel
