#include "posix/stores/StartingStore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "posix/browsers/BrowserProfiles.h"
#include "posix/browsers/LinuxBrowserStores.h"
#include "posix/files/PrivateDirectory.h"
#include "posix/files/ReadFile.h"
#include "posix/stores/PlatformOptions.h"
#include "posix/stores/RememberedCookieStore.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;

// Where a snap or a flatpak keeps its profiles, which a native browser never does.
DefaultBrowser::Packaging PackagingOf(const std::string& folder) {
    if (folder.find("/snap/") != std::string::npos)
        return DefaultBrowser::Packaging::kSnap;
    if (folder.find("/.var/app/") != std::string::npos)
        return DefaultBrowser::Packaging::kFlatpak;
    return DefaultBrowser::Packaging::kNative;
}

std::string BrowserOf(const CookieStoreLocation& location) {
    const std::string argument = FormatCookieStoreArgument({location.kind, {}});
    return argument.substr(0, argument.find(':'));
}

// In seconds since 1970, as the browsers' own times of use are.
std::int64_t LastChange(const std::string& path) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    if (error)
        return 0;
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

std::vector<BrowserCandidate> FindCandidates(const Environment& environment) {
    std::vector<BrowserCandidate> candidates;
    for (const BrowserProfile& profile : FindBrowserProfiles(environment)) {
        CookieFailure error;
        const auto paths = ResolveBrowserPaths(profile.location, environment, error);
        if (!paths)
            continue;
        // When the browser itself does not say, its cookies' last change does.
        candidates.push_back(
            {profile.location, BrowserOf(profile.location), profile.location.path,
             profile.isDefault,
             profile.lastUsed != 0 ? profile.lastUsed : LastChange(paths->database)});
    }
    return candidates;
}

}  // namespace

std::vector<std::pair<BrowserCandidate, StoreChoiceReason>> CandidateOrder(
    std::vector<BrowserCandidate> candidates, const std::optional<DefaultBrowser>& browser) {
    std::vector<std::pair<BrowserCandidate, StoreChoiceReason>> order;
    if (browser) {
        std::vector<BrowserCandidate> defaults;
        for (const BrowserCandidate& candidate : candidates) {
            if (candidate.browser == browser->browser && candidate.isDefault)
                defaults.push_back(candidate);
        }
        std::stable_partition(defaults.begin(), defaults.end(), [&](const BrowserCandidate& c) {
            return PackagingOf(c.folder) == browser->packaging;
        });
        for (BrowserCandidate& candidate : defaults)
            order.emplace_back(std::move(candidate), StoreChoiceReason::kDefaultBrowser);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const BrowserCandidate& a, const BrowserCandidate& b) {
                         return a.lastUsed > b.lastUsed;
                     });
    const std::size_t defaults = order.size();
    for (BrowserCandidate& candidate : candidates) {
        const auto tried = std::find_if(order.begin(), order.begin() + defaults, [&](auto& entry) {
            return entry.first.location == candidate.location;
        });
        if (tried == order.begin() + defaults)
            order.emplace_back(std::move(candidate), StoreChoiceReason::kRecentBrowser);
    }
    return order;
}

StartingStore ChooseStartingStore(SharedOptions given, const Environment& environment,
                                  const CandidateCheck& usable) {
    if (given.cookieStore)
        return {std::move(given), StoreChoiceReason::kGiven};
    if (auto remembered = LoadRememberedCookieStore(environment)) {
        given.cookieStore = std::move(remembered);
        if (!given.charset)
            given.charset = LoadRememberedCookieCharset(environment);
        return {std::move(given), StoreChoiceReason::kRemembered};
    }
    for (auto& [candidate, reason] :
         CandidateOrder(FindCandidates(environment), FindDefaultBrowser(environment))) {
        if (usable(candidate)) {
            given.cookieStore = candidate.location;
            return {std::move(given), reason};
        }
    }
    return {std::move(given), StoreChoiceReason::kNoBrowser};
}

bool FirstTimeChosen(const StartingStore& starting, const Environment& environment) {
    if (starting.reason == StoreChoiceReason::kGiven ||
        starting.reason == StoreChoiceReason::kRemembered)
        return false;
    const std::string path =
        XdgProgramPath(environment, "XDG_STATE_HOME", ".local/state", "store-told");
    const std::string store =
        FormatCookieStoreArgument(starting.options.cookieStore.value_or(CookieStoreLocation{}));
    std::string told;
    if (path.empty() || (!ReadWholeFile(path, 1 << 16, &told, nullptr) && told == store + "\n"))
        return false;
    // Telling twice is better than never: a marker that cannot be written costs nothing more.
    if (!MakePrivateDirectories(fs::path(path).parent_path().string()))
        std::ofstream(path, std::ios::trunc) << store << '\n';
    return true;
}

CandidateCheck OpenableBrowserStore(Clock& clock, const Environment& environment) {
    return [&clock, environment](const BrowserCandidate& candidate) {
        SharedOptions options;
        options.cookieStore = candidate.location;
        CookieFailure error;
        const auto store =
            OpenBrowserStore(candidate.location, clock, ChosenCharset(options), environment, error);
        return store && (store->CheckWritable() ||
                         store->LastFailure().kind == CookieFailureKind::kStoreBusy);
    };
}

}  // namespace tessel
