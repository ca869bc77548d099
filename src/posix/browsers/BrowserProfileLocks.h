#pragma once

#include <string>

#include "cookies/BrowserLock.h"

namespace tessel {

// A running Firefox holds an fcntl write lock on ".parentlock" in its profile folder. The lock
// itself is tested, not the "lock" link beside it, which a crash leaves behind.
class FirefoxProfileLock : public BrowserLock {
  public:
    explicit FirefoxProfileLock(std::string profileDirectory);
    CookieFailure InUseReason() override;

  private:
    std::string lockPath_;
};

// A running Chromium keeps the link "SingletonLock" in its user-data folder, pointing at
// "<host>-<pid>". A link whose process is gone on this host is stale; one from another host
// cannot be checked and counts as in use, as Chromium itself counts it.
class ChromiumProfileLock : public BrowserLock {
  public:
    explicit ChromiumProfileLock(std::string userDataDirectory);
    CookieFailure InUseReason() override;

  private:
    std::string linkPath_;
};

}  // namespace tessel
