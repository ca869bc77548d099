#include "win32/browsers/WindowsStoreChooser.h"

#include "app/Messages.h"

namespace tessel {

bool WindowsStoreChooser::Choose(const FoundStore& found, std::string& error) {
    SharedOptions chosen = options_;
    chosen.cookieStore = found.location;
    // The menu offers no character set for Firefox: it gets the only one it keeps.
    if (found.location.kind == CookieStoreLocation::Kind::kFirefox)
        chosen.charset.reset();
    return Use(std::move(chosen), error);
}

bool WindowsStoreChooser::CharsetChoosable() const {
    using Kind = CookieStoreLocation::Kind;
    return options_.cookieStore && options_.cookieStore->kind != Kind::kFirefox &&
           options_.cookieStore->kind != Kind::kWinInet;
}

bool WindowsStoreChooser::ChooseCharset(CookieCharset charset, std::string& error) {
    SharedOptions chosen = options_;
    chosen.charset = charset;
    return Use(std::move(chosen), error);
}

bool WindowsStoreChooser::Use(SharedOptions chosen, std::string& error) {
    std::unique_ptr<CookieStore> store = OpenCookieStore(chosen, clock_, error);
    if (!store)
        return false;
    store_.Replace(std::move(store));
    options_ = std::move(chosen);
    const CookieStoreLocation location =
        options_.cookieStore.value_or(CookieStoreLocation{CookieStoreLocation::Kind::kWinInet, {}});
    if (!RememberCookieStore(location, options_.charset))
        error = messages::kStoreNotRemembered;
    return true;
}

}  // namespace tessel
