#include "app/BoardListSearch.h"
#include "cli/Commands.h"
#include "cli/Diagnostic.h"
#include "cli/ExitCode.h"
#include "cli/Translate.h"

namespace tessel::cli {

int RunInit(AppPlaces& places, const std::optional<std::string>& target, std::ostream& out,
            std::ostream& err) {
    using Outcome = CreatedBoardList::Outcome;
    const CreatedBoardList created = CreateBoardList(places, target);
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
            Diagnose(err, Fill(Tr("cannot create %s"), {created.path}), created.reason);
            break;
    }
    return kExitSomeFailed;
}

}  // namespace tessel::cli
