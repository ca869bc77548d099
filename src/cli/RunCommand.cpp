#include "cli/Commands.h"
#include "cli/UsageError.h"

namespace tessel::cli {

int RunCommand(const Invocation& invocation, CommandContext& context) {
    switch (invocation.command) {
        case Command::kList:
            return RunList(invocation, context);
        case Command::kShow:
            return RunShow(invocation, context);
        case Command::kApply:
            return RunApply(invocation, context);
        case Command::kExport:
            return RunExport(invocation, context);
        case Command::kImport:
            return RunImport(invocation, context);
        case Command::kStores:  // needs no board list: the platform runs it before loading one
        case Command::kNone:
            break;
    }
    return UsageError(context.err, "a command is needed");
}

}  // namespace tessel::cli
