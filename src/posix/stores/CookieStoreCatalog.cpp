#include "posix/stores/CookieStoreCatalog.h"

#include <unistd.h>

#include <filesystem>

#include "posix/browsers/LinuxBrowserStores.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

// A jar can be written when it, or the nearest folder above it that exists, is writable.
FoundStore Jar(const Environment& environment) {
    FoundStore jar;
    jar.location = {CookieStoreLocation::Kind::kJar, DefaultCookieJarPath(environment)};
    jar.path = jar.location.path;
    jar.isDefault = true;
    if (jar.path.empty()) {
        jar.failure = MakeFailure(CookieProblem::kNoHomeForJar);
        return jar;
    }
    fs::path existing = jar.path;
    std::error_code error;
    while (!fs::exists(existing, error) && existing.has_parent_path() &&
           existing != existing.parent_path()) {
        existing = existing.parent_path();
    }
    jar.writable = access(existing.c_str(), W_OK) == 0;
    if (!jar.writable)
        jar.failure =
            MakeFailure(CookieProblem::kFolderNotWritable, CookieDetails().Path(existing.string()));
    return jar;
}

FoundStore Browser(const BrowserProfile& profile, Clock& clock, CookieCharset charset,
                   const Environment& environment) {
    FoundStore found;
    found.location = profile.location;
    found.browser = profile.browser;
    found.name = profile.name;
    found.isDefault = profile.isDefault;
    found.lastUsed = profile.lastUsed;
    CookieFailure error;
    const std::unique_ptr<BrowserCookieStore> store =
        OpenBrowserStore(profile.location, clock, charset, environment, error);
    if (!store) {
        found.failure = error;
        return found;
    }
    found.path = store->DatabasePath();
    found.writable = store->CheckWritable();
    found.failure = store->LastFailure();
    return found;
}

}  // namespace

std::vector<FoundStore> FindCookieStores(Clock& clock, CookieCharset charset,
                                         const Environment& environment) {
    std::vector<FoundStore> stores{Jar(environment)};
    for (const BrowserProfile& profile : FindBrowserProfiles(environment))
        stores.push_back(Browser(profile, clock, charset, environment));
    return stores;
}

bool IsChosenStore(const FoundStore& found, const std::optional<CookieStoreLocation>& chosen) {
    const CookieStoreLocation wanted = chosen.value_or(CookieStoreLocation{});
    if (wanted.kind != found.location.kind)
        return false;
    if (wanted.path.empty())
        return found.isDefault;
    std::error_code error;
    if (fs::weakly_canonical(wanted.path, error) ==
        fs::weakly_canonical(found.location.path, error))
        return true;
    if (wanted.kind == CookieStoreLocation::Kind::kJar || found.path.empty())
        return false;
    // A user-data folder names the profile the browser opens in it.
    CookieFailure unknown;
    const std::optional<BrowserPaths> paths = ResolveBrowserPaths(
        wanted, [](const char*) -> const char* { return nullptr; }, unknown);
    return paths &&
           fs::weakly_canonical(paths->database, error) == fs::weakly_canonical(found.path, error);
}

}  // namespace tessel
