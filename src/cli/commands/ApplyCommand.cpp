#include "app/BoardWriteBatch.h"
#include "cli/Diagnostic.h"
#include "cli/commands/BoardIndex.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/WriteReport.h"
#include "cli/terminal/PasswordLine.h"

namespace tessel::cli {
namespace {

PasswordAnswer AskPassword(PasswordSource source, CommandContext& context) {
    if (source == PasswordSource::kPrompt)
        return context.promptPassword();
    std::string error;
    std::optional<std::string> line = ReadPasswordLine(context.in, error);
    return {line, error};
}

std::vector<BoardUpdate> SameChanges(const std::vector<std::size_t>& positions,
                                     const PreferenceChanges& changes) {
    std::vector<BoardUpdate> updates;
    updates.reserve(positions.size());
    for (const std::size_t position : positions)
        updates.push_back({position, changes});
    return updates;
}

}  // namespace

int RunApply(const Invocation& invocation, CommandContext& context) {
    const BoardSelection selection =
        SelectBoards(BoardIndex(context.boards), invocation.operands, invocation.all);
    if (!selection.error.empty())
        return UsageError(context.err, selection.error);
    PreferenceChanges changes = invocation.changes;
    if (invocation.passwordSource != PasswordSource::kNone) {
        PasswordAnswer answer = AskPassword(invocation.passwordSource, context);
        if (!answer.password)
            return UsageError(context.err, answer.error);
        if (const std::string problem = PasswordProblem(*answer.password); !problem.empty())
            return UsageError(context.err, problem);
        changes.password = std::move(answer.password);
    }
    // Only "every board" passes over the kinds that keep no cookie; a board named is to be
    // written, and fails when it cannot be.
    BatchRules rules;
    rules.kindDefaultsWithoutCookie = true;
    rules.skipBoardsWithoutCookie = invocation.all;
    const BatchResult result =
        WriteBoards(context.boards, context.store, SameChanges(selection.positions, changes), rules,
                    context.progress, context.journal);
    return ReportWrites(context.boards, result, context.out);
}

}  // namespace tessel::cli
