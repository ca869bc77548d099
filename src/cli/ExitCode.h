#pragma once

namespace tessel::cli {

// What tessel's exit status tells a script.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;  // a board's cookie could not be read or written,
                                           // or there was no board to write
inline constexpr int kExitUsage = 2;       // a usage error or an unusable board list or store

}  // namespace tessel::cli
