#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/SharedOptions.h"
#include "cookies/Clock.h"
#include "posix/desktop/DefaultBrowser.h"

namespace tessel {

// Why the store in use is the one it is.
enum class StoreChoiceReason {
    kGiven,           // --cookie-store
    kRemembered,      // chosen by the reader in the window's store menu
    kDefaultBrowser,  // the default profile of the desktop's default browser
    kRecentBrowser,   // the browser profile whose cookies changed last
    kNoBrowser,       // no browser store could be used: the jar
};

// A browser profile as the start-up choice weighs it.
struct BrowserCandidate {
    CookieStoreLocation location;
    std::string browser;  // the kind as --cookie-store names it ("firefox", "chromium", ...)
    std::string folder;   // the profile's folder, which tells a snap's or flatpak's apart
    bool isDefault = false;
    std::int64_t lastUsed = 0;  // when its cookie database last changed; 0 when unknown
};

// The order in which the candidates are tried, each with the reason it would be chosen for: the
// default browser's default profile first (a profile of the browser's own packaging before one
// of another), then every profile, the most recently used first.
std::vector<std::pair<BrowserCandidate, StoreChoiceReason>> CandidateOrder(
    std::vector<BrowserCandidate> candidates, const std::optional<DefaultBrowser>& browser);

// The store the programs use and why. The one given, else the one remembered, else the first
// candidate in CandidateOrder that usable accepts, else the default jar. Only the reader's own
// choice is ever remembered, so a browser installed later is found at the next start.
struct StartingStore {
    SharedOptions options;
    StoreChoiceReason reason = StoreChoiceReason::kNoBrowser;
};
using CandidateCheck = std::function<bool(const BrowserCandidate&)>;
StartingStore ChooseStartingStore(SharedOptions given, const Environment& environment,
                                  const CandidateCheck& usable);

// Whether the reader is yet to be told that the program chose the store in use by itself, which
// it then counts as told: once for each store so chosen, as the state folder remembers
// ($XDG_STATE_HOME/<product>/store-told). False for a store the reader chose.
bool FirstTimeChosen(const StartingStore& starting, const Environment& environment);

// The check ChooseStartingStore uses on this computer: the store opens and can be written, or
// is only busy because its browser is running (it stays the choice; the write then says why).
CandidateCheck OpenableBrowserStore(Clock& clock, const Environment& environment);

}  // namespace tessel
