#include "cli/WriteReport.h"

#include "app/Messages.h"
#include "cli/ExitCode.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const std::vector<BoardOutcome>& outcomes,
                 std::ostream& out) {
    bool allWritten = true;
    for (const BoardOutcome& outcome : outcomes) {
        out << boards.Item(outcome.position)->Name();
        if (!outcome.Succeeded())
            out << messages::kCookieWriteFailed;
        out << '\n';
        allWritten = allWritten && outcome.Succeeded();
    }
    out << messages::kSettingsDone << '\n';
    return allWritten ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
