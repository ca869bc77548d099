#include "cli/commands/WriteReport.h"

#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/Translate.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const std::vector<BoardOutcome>& outcomes,
                 std::ostream& out) {
    bool allWritten = true;
    for (const BoardOutcome& outcome : outcomes) {
        const std::string& name = boards.Item(outcome.position)->Name();
        if (outcome.Succeeded()) {
            out << name << '\n';
        } else if (outcome.skipped) {
            // Nothing of this board can be written anywhere: a skip, not a failure of the run.
            out << Fill(Tr("%s (skipped: %s)"), {name, outcome.reason}) << '\n';
        } else {
            out << messages::WithReason(name + messages::kCookieWriteFailed, outcome.reason)
                << '\n';
            allWritten = false;
        }
    }
    out << messages::kSettingsDone << '\n';
    return allWritten ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
