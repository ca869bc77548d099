#include "posix/desktop/SystemClock.h"

#include <chrono>

#include "cookies/CookieDate.h"

namespace tessel {

SystemTime SystemClock::GetSystemTime() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto seconds = floor<std::chrono::seconds>(now);
    SystemTime time = FromUnixSeconds(seconds.count());
    time.milliseconds =
        static_cast<std::int32_t>(duration_cast<milliseconds>(now - seconds).count());
    return time;
}

}  // namespace tessel
