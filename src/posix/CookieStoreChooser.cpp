#include "posix/CookieStoreChooser.h"

#include "posix/RememberedCookieStore.h"

namespace tessel {

CookieStoreChooser::CookieStoreChooser(ChosenCookieStore& store, Clock& clock,
                                       SharedOptions options, Environment environment)
    : store_(store),
      clock_(clock),
      options_(std::move(options)),
      environment_(std::move(environment)) {}

std::vector<FoundStore> CookieStoreChooser::Stores() {
    return FindCookieStores(clock_, options_.charset, environment_);
}

bool CookieStoreChooser::IsCurrent(const FoundStore& found) const {
    return IsChosenStore(found, options_.cookieStore);
}

bool CookieStoreChooser::Choose(const FoundStore& found, std::string& error) {
    SharedOptions chosen = options_;
    chosen.cookieStore = found.location;
    std::unique_ptr<CookieStore> store = OpenCookieStore(chosen, clock_, error);
    if (!store)
        return false;
    store_.Replace(std::move(store));
    options_ = std::move(chosen);
    if (!RememberCookieStore(found.location, environment_))
        error = "選んだ保存先を次回のために記録できませんでした";
    return true;
}

}  // namespace tessel
