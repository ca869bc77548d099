#include "app/BoardListSearch.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {

int RunInit(const Invocation& invocation, PlatformContext& context) {
    if (context.places == nullptr)
        return NotAvailable(invocation, context.err);
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    using Outcome = CreatedBoardList::Outcome;
    const CreatedBoardList created = CreateBoardList(*context.places, context.boardList);
    switch (created.outcome) {
        case Outcome::kCreated:
            // The path alone on standard output, for a script to hand to an editor.
            out << created.path << '\n';
            Diagnose(err, Tr("created from the sample; add your boards to it with a text editor"));
            return kExitOk;
        case Outcome::kAlreadyThere:
            Diagnose(err, Fill(Tr("%s is already there; it was left as it is"), {created.path}));
            break;
        case Outcome::kNoSample:
            Diagnose(err, Tr("the sample board list is not installed"));
            break;
        case Outcome::kNoPlace:
            Diagnose(err, Tr("neither XDG_CONFIG_HOME nor HOME names a folder for the board list"));
            break;
        case Outcome::kCopyFailed:
            Diagnose(err, Fill(Tr("cannot create %s"), {created.path}),
                     FailureText(created.failure));
            break;
    }
    return kExitSomeFailed;
}

}  // namespace tessel::cli
