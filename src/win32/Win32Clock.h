#pragma once

#include "cookies/Clock.h"

namespace tessel {

// The system clock in Coordinated Universal Time.
class Win32Clock : public Clock {
  public:
    SystemTime GetSystemTime() override;
};

}  // namespace tessel
