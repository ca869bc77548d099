#include "app/BatchUndo.h"
#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {

int RunUndo(const Invocation&, CommandContext& context) {
    if (context.journal == nullptr) {
        context.out << Tr("this cookie store cannot undo writes") << '\n';
        return kExitSomeFailed;
    }
    const UndoResult result = UndoLastBatch(*context.journal, context.store);
    for (const BatchMessage& message : DescribeUndo(result, TesselBatchWords()))
        context.out << message.text << '\n';
    return result.Succeeded() ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
