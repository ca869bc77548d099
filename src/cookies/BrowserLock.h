#pragma once

#include "cookies/CookieFailure.h"

namespace tessel {

// Whether the browser that owns a profile has it open. A browser that runs keeps its cookies in
// memory and writes them back over whatever was changed beneath it.
class BrowserLock {
  public:
    virtual ~BrowserLock() = default;

    // No failure when the profile is free; otherwise why it cannot be written now.
    virtual CookieFailure InUseReason() = 0;
};

}  // namespace tessel
