#pragma once

#include <sys/types.h>

#include <string>

#include "cookies/BrowserLock.h"

namespace tessel {

// A running Firefox holds an fcntl write lock on ".parentlock" in its profile folder. The lock
// itself is tested, not the "lock" link beside it, which a crash leaves behind. The kernel shows
// the lock across the sandboxes of snap and flatpak alike.
class FirefoxProfileLock : public BrowserLock {
  public:
    explicit FirefoxProfileLock(std::string profileDirectory);
    CookieFailure InUseReason() override;

  private:
    std::string lockPath_;
};

// A running browser of the Chromium family keeps the link "SingletonLock" in its user-data
// folder, pointing at "<host>-<pid>". A link from another host cannot be checked and counts as in
// use, as the browser itself counts it. A snap shares the host's process numbers, so there the
// link is stale when its process is gone. A flatpak's process numbers are its sandbox's own: the
// link counts as in use while an instance of the flatpak runs (as flatpak records its instances
// under $XDG_RUNTIME_DIR/.flatpak), and whenever that cannot be told.
class ChromiumProfileLock : public BrowserLock {
  public:
    // browser names it in failures; runtimeDirectory is $XDG_RUNTIME_DIR (may be empty).
    ChromiumProfileLock(std::string userDataDirectory, std::string browser,
                        std::string runtimeDirectory);
    CookieFailure InUseReason() override;

  private:
    CookieFailure FlatpakReason(const std::string& appId, pid_t pid);

    std::string userData_;
    std::string browser_;
    std::string runtimeDirectory_;
};

}  // namespace tessel
