#pragma once

#include "cookies/Clock.h"

namespace tessel {

// The system's real-time clock in Coordinated Universal Time.
class SystemClock : public Clock {
  public:
    SystemTime GetSystemTime() override;
};

}  // namespace tessel
