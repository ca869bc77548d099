#pragma once

#include <ostream>
#include <string_view>

namespace tessel::cli {

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

}  // namespace tessel::cli
