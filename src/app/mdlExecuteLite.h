#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/DocumentShell.h"

namespace tessel::mdlExecuteLite {

// Fills the fixed part of a request: size, mask (no UI, network drives, process handle), the
// desktop as owner, the verb "open" and the default show state.
void InitExecuteInfo(ExecuteInfo& request, DocumentShell& shell);

// Opens fileName with verb through the shell. Returns nonzero when the shell accepted the
// request, 0 when it refused (missing file, no associated program, no launcher).
std::int32_t ExecuteLite(DocumentShell& shell, const std::string& fileName,
                         const std::optional<std::string>& parameters, const std::string& verb);

}  // namespace tessel::mdlExecuteLite
