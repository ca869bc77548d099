#pragma once

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

}  // namespace tessel::cli
