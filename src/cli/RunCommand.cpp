#include "cli/Commands.h"
#include "cli/Diagnostic.h"
#include "cli/Translate.h"
#include "cli/UsageError.h"

namespace tessel::cli {

namespace {

bool TouchesCookies(Command command) {
    return command == Command::kShow || command == Command::kApply || command == Command::kExport ||
           command == Command::kImport || command == Command::kUndo;
}

}  // namespace

int RunCommand(const Invocation& invocation, CommandContext& context) {
    if (TouchesCookies(invocation.command) && !context.storeName.empty())
        Diagnose(context.err, Fill(Tr("cookie store: %s"), {context.storeName}));
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
        case Command::kUndo:
            return RunUndo(invocation, context);
        // These need no board list, and init no store: the platform runs them before loading.
        case Command::kStores:
        case Command::kInit:
        case Command::kNone:
            break;
    }
    return UsageError(context.err, "a command is needed");
}

}  // namespace tessel::cli
