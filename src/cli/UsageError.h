#pragma once

#include <ostream>
#include <string_view>

#include "cli/Diagnostic.h"
#include "cli/ExitCode.h"
#include "cli/Translate.h"

namespace tessel::cli {

// Tells the user what was wrong with the command and returns the usage-error status.
inline int UsageError(std::ostream& err, std::string_view message) {
    Diagnose(err, message);
    err << Tr("Try 'tessel --help' for more information.") << '\n';
    return kExitUsage;
}

}  // namespace tessel::cli
