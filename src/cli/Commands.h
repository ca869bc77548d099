#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/AppPlaces.h"
#include "cli/CommandContext.h"
#include "cli/CommandLine.h"

namespace tessel::cli {

// Each returns tessel's exit status.
int RunCommand(const Invocation& invocation, CommandContext& context);

int RunList(const Invocation& invocation, CommandContext& context);
int RunShow(const Invocation& invocation, CommandContext& context);
int RunApply(const Invocation& invocation, CommandContext& context);
int RunExport(const Invocation& invocation, CommandContext& context);
int RunImport(const Invocation& invocation, CommandContext& context);
int RunUndo(const Invocation& invocation, CommandContext& context);
// Makes the user's board list (or target, from --board-list) from the installed sample.
int RunInit(AppPlaces& places, const std::optional<std::string>& target, std::ostream& out,
            std::ostream& err);

}  // namespace tessel::cli
