#include "app/BatchUndo.h"
#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {

int RunUndo(const Invocation&, CommandContext& context) {
    if (context.journal == nullptr) {
        context.out << messages::kCannotUndo << '\n';
        return kExitSomeFailed;
    }
    const UndoResult result = UndoLastBatch(*context.journal, context.store);
    for (const BatchMessage& message : DescribeUndo(result))
        context.out << message.text << '\n';
    return result.Succeeded() ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
