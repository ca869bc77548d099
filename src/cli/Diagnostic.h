#pragma once

#include <ostream>
#include <string_view>

#include "cli/Translate.h"

namespace tessel::cli {

// What tessel's exit status tells a script.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;  // a board's cookie could not be read or written,
                                           // or there was no board to write
inline constexpr int kExitUsage = 2;       // a usage error or an unusable board list or store

// Writes a diagnostic to standard error: every line of message, then of reason (when there is
// one), begins with "tessel: ", as a user of Unix tools expects of what a program says about
// itself.
inline void Diagnose(std::ostream& err, std::string_view message, std::string_view reason = {}) {
    for (std::string_view text : {message, reason}) {
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            err << "tessel: " << text.substr(0, end) << '\n';
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }
}

// Tells the user what was wrong with the command and returns the usage-error status.
inline int UsageError(std::ostream& err, std::string_view message) {
    Diagnose(err, message);
    err << Tr("Try 'tessel --help' for more information.") << '\n';
    return kExitUsage;
}

}  // namespace tessel::cli
