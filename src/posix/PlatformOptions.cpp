#include "posix/PlatformOptions.h"

#include <cstdlib>

#include "posix/LinuxBrowserStores.h"
#include "posix/NetscapeCookieJar.h"
#include "posix/PosixAppPlaces.h"

namespace tessel {
namespace {

std::string JarPath(const SharedOptions& options) {
    return options.cookieStore && !options.cookieStore->path.empty() ? options.cookieStore->path
                                                                     : DefaultCookieJarPath();
}

const char* GetEnvironment(const char* name) {
    return std::getenv(name);
}

}  // namespace

std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             std::string& error, std::function<void()> lockNotice) {
    if (options.cookieStore && options.cookieStore->kind != CookieStoreLocation::Kind::kJar)
        return OpenBrowserStore(*options.cookieStore, clock, options.charset, GetEnvironment,
                                error);
    const std::string path = JarPath(options);
    if (path.empty()) {
        error = "no place for the cookie jar: set HOME or XDG_DATA_HOME, or give --cookie-store";
        return nullptr;
    }
    auto jar = std::make_unique<NetscapeCookieJar>(path, clock, options.charset);
    jar->SetLockWait(std::chrono::seconds(5), std::move(lockNotice));
    return jar;
}

std::string DescribeCookieStore(const SharedOptions& options) {
    if (!options.cookieStore || options.cookieStore->kind == CookieStoreLocation::Kind::kJar)
        return "cookies.txt: " + JarPath(options);
    const bool firefox = options.cookieStore->kind == CookieStoreLocation::Kind::kFirefox;
    const std::string& path = options.cookieStore->path;
    return std::string(firefox ? "Firefox: " : "Chromium: ") +
           (path.empty() ? std::string("既定のプロファイル") : path);
}

}  // namespace tessel
