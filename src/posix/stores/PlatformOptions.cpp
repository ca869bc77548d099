#include "posix/stores/PlatformOptions.h"

#include <cstdlib>
#include <filesystem>

#include "app/Messages.h"
#include "posix/browsers/LinuxBrowserStores.h"
#include "posix/desktop/PosixAppPlaces.h"
#include "posix/stores/NetscapeCookieJar.h"

namespace tessel {
namespace {

std::string JarPath(const SharedOptions& options) {
    return options.cookieStore && !options.cookieStore->path.empty() ? options.cookieStore->path
                                                                     : DefaultCookieJarPath();
}

const char* GetEnvironment(const char* name) {
    return std::getenv(name);
}

bool IsFirefox(const SharedOptions& options) {
    return options.cookieStore && options.cookieStore->kind == CookieStoreLocation::Kind::kFirefox;
}

const char* CharsetName(CookieCharset charset) {
    return charset == CookieCharset::kUtf8 ? "UTF-8" : "Shift_JIS";
}

}  // namespace

CookieCharset ChosenCharset(const SharedOptions& options) {
    // Firefox turns the Shift_JIS bytes of a cookie into U+FFFD: only UTF-8 survives there.
    return options.charset.value_or(IsFirefox(options) ? CookieCharset::kUtf8
                                                       : CookieCharset::kCp932);
}

std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             CookieFailure& error,
                                             std::function<void()> lockNotice) {
    using Kind = CookieStoreLocation::Kind;
    if (options.cookieStore && options.cookieStore->kind == Kind::kWinInet) {
        error = MakeFailure(
            CookieProblem::kStoreKindUnavailable,
            CookieDetails().Name(FormatCookieStoreArgument({options.cookieStore->kind, {}})));
        return nullptr;
    }
    if (options.cookieStore && options.cookieStore->kind != Kind::kJar)
        return OpenBrowserStore(*options.cookieStore, clock, ChosenCharset(options), GetEnvironment,
                                error);
    const std::string path = JarPath(options);
    if (path.empty()) {
        error = MakeFailure(CookieProblem::kNoHomeForJar);
        return nullptr;
    }
    auto jar = std::make_unique<NetscapeCookieJar>(path, clock, ChosenCharset(options));
    jar->SetLockWait(std::chrono::seconds(5), std::move(lockNotice));
    return jar;
}

std::string DescribeCookieStore(const SharedOptions& options) {
    const std::string charset = messages::InParentheses(CharsetName(ChosenCharset(options)));
    if (!options.cookieStore || options.cookieStore->kind == CookieStoreLocation::Kind::kJar)
        return "cookies.txt: " + JarPath(options) + charset;
    const std::string& path = options.cookieStore->path;
    return BrowserDisplayName(options.cookieStore->kind) + ": " +
           (path.empty() ? std::string(messages::kDefaultProfile) : path) + charset;
}

std::string IdentifyCookieStore(const SharedOptions& options, const CookieStore& store) {
    const auto absolute = [](const std::string& path) {
        std::error_code ignored;
        const std::filesystem::path full = std::filesystem::absolute(path, ignored);
        return full.empty() ? path : full.lexically_normal().string();
    };
    if (const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store))
        // The undo journal knows a database by its format, whichever browser's name chose it.
        return (IsFirefox(options) ? "Firefox " : "Chromium ") + absolute(browser->DatabasePath());
    return "cookies.txt " + absolute(JarPath(options));
}

std::string NameCookieStore(const SharedOptions& options, const CookieStore& store) {
    const std::string charset = std::string(" (") + CharsetName(ChosenCharset(options)) + ")";
    if (const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store))
        return BrowserDisplayName(options.cookieStore->kind) + " " + browser->DatabasePath() +
               charset;
    return "cookies.txt " + JarPath(options) + charset;
}

}  // namespace tessel
