#pragma once

#include <string>
#include <vector>

#include "cookies/ChosenCookieStore.h"
#include "win32/browsers/WindowsCookieStores.h"

namespace tessel {

// The window's choice of cookie store: lists the stores found, and switches the program to the
// one the reader picks, remembering it for the next run.
class WindowsStoreChooser {
  public:
    WindowsStoreChooser(ChosenCookieStore& store, Clock& clock, SharedOptions options)
        : store_(store), clock_(clock), options_(std::move(options)) {}

    // The stores found now (the list is looked up anew each time).
    std::vector<FoundStore> Stores() { return FindCookieStores(clock_, Charset()); }
    bool IsCurrent(const FoundStore& found) const {
        return IsChosenStore(found, options_.cookieStore);
    }

    // Opens found's store and uses it from now on. False with error set when it cannot be opened;
    // the current store then stays.
    bool Choose(const FoundStore& found, std::string& error);

    // The character set the store in use is written in, and whether the reader may choose it:
    // Firefox keeps nothing but UTF-8, WinINet the system's code page.
    CookieCharset Charset() const { return ChosenCharset(options_); }
    bool CharsetChoosable() const;
    // Opens the store in use anew with charset and remembers both; as Choose otherwise.
    bool ChooseCharset(CookieCharset charset, std::string& error);

    // The store in use, for the status bar and as the undo journal names it.
    std::string Description() const { return "クッキーの保存先: " + DescribeCookieStore(options_); }
    std::string Identity() { return IdentifyCookieStore(options_, store_.Current()); }

  private:
    bool Use(SharedOptions chosen, std::string& error);

    ChosenCookieStore& store_;
    Clock& clock_;
    SharedOptions options_;
};

}  // namespace tessel
