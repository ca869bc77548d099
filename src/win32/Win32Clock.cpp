#include "win32/Win32Clock.h"

#include <windows.h>

namespace tessel {

SystemTime Win32Clock::GetSystemTime() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
            now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace tessel
