#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cookies/ChosenCookieStore.h"
#include "posix/CookieStoreCatalog.h"
#include "posix/PlatformOptions.h"

namespace tessel {

// The window's choice of cookie store: lists the stores found, and switches the program to the
// one the reader picks, remembering it for the next run.
class CookieStoreChooser {
  public:
    CookieStoreChooser(ChosenCookieStore& store, Clock& clock, SharedOptions options,
                       Environment environment);

    // The stores found now (the list is looked up anew each time).
    std::vector<FoundStore> Stores();
    bool IsCurrent(const FoundStore& found) const;

    // Opens found's store and uses it from now on. False with error set when it cannot be opened;
    // the current store then stays.
    bool Choose(const FoundStore& found, std::string& error);

    // The store in use, for the status bar.
    std::string Description() const { return DescribeCookieStore(options_); }

  private:
    ChosenCookieStore& store_;
    Clock& clock_;
    SharedOptions options_;
    Environment environment_;
};

}  // namespace tessel
