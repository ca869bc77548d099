#pragma once

#include <string>

namespace tessel {

// Whether the browser that owns a profile has it open. A browser that runs keeps its cookies in
// memory and writes them back over whatever was changed beneath it.
class BrowserLock {
  public:
    virtual ~BrowserLock() = default;

    // Empty when the profile is free; otherwise why it cannot be written now (one line of
    // Japanese).
    virtual std::string InUseReason() = 0;
};

}  // namespace tessel
