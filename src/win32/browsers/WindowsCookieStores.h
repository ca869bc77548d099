#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/SharedOptions.h"
#include "cookies/BrowserLock.h"
#include "cookies/Clock.h"
#include "cookies/CookieStore.h"
#include "win32/browsers/WindowsBrowserProfiles.h"

namespace tessel {

// A browser that runs holds its files open without sharing them: a sharing violation on opening
// one of files for writing means the browser is running.
class SharingLock : public BrowserLock {
  public:
    SharingLock(std::vector<std::string> files, std::string browser);
    CookieFailure InUseReason() override;

  private:
    std::vector<std::string> files_;
    std::string browser_;
};

// The character set of the chosen store: the system's code page for WinINet; UTF-8 for Firefox,
// which keeps nothing else, unless the reader chose one; otherwise Windows-31J, as the boards
// read it.
CookieCharset ChosenCharset(const SharedOptions& options);

// The store the options name: WinINet when none, else the browser profile. Null with error set
// when the profile or its database is not there, or the kind has no store on Windows.
std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             std::string& error,
                                             const UserFolders& folders = CurrentUserFolders());

// The store in use for the status bar (Japanese), for tessel's messages, and as the undo journal
// names it (the same from the window and tessel).
std::string DescribeCookieStore(const SharedOptions& options);
std::string NameCookieStore(const SharedOptions& options, const CookieStore& store);
std::string IdentifyCookieStore(const SharedOptions& options, const CookieStore& store);

// A cookie store found on this computer and whether it could be written now.
struct FoundStore {
    CookieStoreLocation location;  // with its folder filled in
    std::string name;              // the profile's name; empty for WinINet
    std::string path;              // the database; empty for WinINet
    bool isDefault = false;        // the browser's default profile
    bool writable = false;
    CookieFailure failure;  // why not writable
    std::string error;      // or why the store could not be opened at all
};

// WinINet, then each Firefox, Chrome, Edge, Brave and Chromium profile.
std::vector<FoundStore> FindCookieStores(Clock& clock, CookieCharset charset,
                                         const UserFolders& folders = CurrentUserFolders());

// Whether found is the store that chosen names (none: WinINet).
bool IsChosenStore(const FoundStore& found, const std::optional<CookieStoreLocation>& chosen);

// The store the reader last chose in the window, kept between runs in
// %APPDATA%\<product>\cookie-store as one line in the --cookie-store form, and the character set
// chosen for it, when one was, on a second. Empty when nothing was chosen yet.
std::optional<CookieStoreLocation> LoadRememberedCookieStore();
std::optional<CookieCharset> LoadRememberedCookieCharset();
bool RememberCookieStore(const CookieStoreLocation& location,
                         std::optional<CookieCharset> charset = std::nullopt);

}  // namespace tessel
