#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/commands/BoardIndex.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/Preferences.h"
#include "cli/json/PreferencesJson.h"

namespace tessel::cli {

int RunExport(const Invocation& invocation, CommandContext& context) {
    const bool all = invocation.all || invocation.operands.empty();
    const BoardSelection selection =
        SelectBoards(BoardIndex(context.boards), invocation.operands, all);
    if (!selection.error.empty())
        return UsageError(context.err, selection.error);
    JsonListWriter document(context.out, '{', '}');
    int status = kExitOk;
    for (const std::size_t position : selection.positions) {
        CBBSData& board = *context.boards.Item(position);
        if (!HasPreferencesCookie(board))
            continue;
        if (!board.GetCookie()) {
            // A board with nothing stored yet has nothing to export; that is no failure.
            if (board.LastFailure().kind == CookieFailureKind::kNoCookie)
                continue;
            Diagnose(context.err, CookieReadFailed(board.Name()), FailureText(board.LastFailure()));
            status = kExitSomeFailed;
            continue;
        }
        document.Member(board.ID(), PreferencesToJson(board, invocation.withPasswords));
    }
    document.Close();
    context.out << '\n';
    return status;
}

}  // namespace tessel::cli
