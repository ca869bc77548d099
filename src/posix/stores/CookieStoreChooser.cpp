#include "posix/stores/CookieStoreChooser.h"

#include "app/FailureText.h"
#include "app/Messages.h"
#include "posix/stores/RememberedCookieStore.h"

namespace tessel {

CookieStoreChooser::CookieStoreChooser(ChosenCookieStore& store, Clock& clock,
                                       SharedOptions options, Environment environment)
    : store_(store),
      clock_(clock),
      options_(std::move(options)),
      environment_(std::move(environment)) {}

std::vector<FoundStore> CookieStoreChooser::Stores() {
    return FindCookieStores(clock_, ChosenCharset(options_), environment_);
}

bool CookieStoreChooser::IsCurrent(const FoundStore& found) const {
    return IsChosenStore(found, options_.cookieStore);
}

bool CookieStoreChooser::Choose(const FoundStore& found, std::string& error) {
    SharedOptions chosen = options_;
    chosen.cookieStore = found.location;
    // The menu offers no character set for Firefox: it gets the only one it keeps.
    if (found.location.kind == CookieStoreLocation::Kind::kFirefox)
        chosen.charset.reset();
    return Use(std::move(chosen), error);
}

bool CookieStoreChooser::CharsetChoosable() const {
    return !options_.cookieStore ||
           options_.cookieStore->kind != CookieStoreLocation::Kind::kFirefox;
}

bool CookieStoreChooser::ChooseCharset(CookieCharset charset, std::string& error) {
    SharedOptions chosen = options_;
    chosen.charset = charset;
    return Use(std::move(chosen), error);
}

bool CookieStoreChooser::Use(SharedOptions chosen, std::string& error) {
    CookieFailure failure;
    std::unique_ptr<CookieStore> store = OpenCookieStore(chosen, clock_, failure);
    error = failure ? FailureText(failure) : std::string();
    if (!store)
        return false;
    store_.Replace(std::move(store));
    options_ = std::move(chosen);
    const CookieStoreLocation location = options_.cookieStore.value_or(CookieStoreLocation{});
    if (!RememberCookieStore(location, environment_, options_.charset))
        error = messages::kStoreNotRemembered;
    return true;
}

}  // namespace tessel
