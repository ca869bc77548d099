#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "app/Messages.h"
#include "cli/BoardWriter.h"
#include "cli/Commands.h"
#include "cli/ImportDocument.h"
#include "cli/UsageError.h"
#include "cli/WriteReport.h"

namespace tessel::cli {
namespace {

std::optional<std::string> ReadAll(std::istream& in) {
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return text.str();
}

// The document to import: the named file, or standard input for "-".
std::optional<std::string> ReadDocument(const std::string& name, std::istream& standardInput) {
    if (name == "-")
        return ReadAll(standardInput);
    std::ifstream file(name, std::ios::binary);
    if (!file)
        return std::nullopt;
    return ReadAll(file);
}

}  // namespace

int RunImport(const Invocation& invocation, CommandContext& context) {
    const std::string& name = invocation.operands.at(0);
    const std::optional<std::string> text = ReadDocument(name, context.in);
    if (!text)
        return UsageError(context.err, "cannot read " + name);
    const ImportPlan plan = ReadImport(*text, BoardIndex(context.boards));
    if (!plan.error.empty())
        return UsageError(context.err, "import " + name + ": " + plan.error + " (nothing written)");
    // An import is whole or nothing: a board the store refuses (a character its code page lacks,
    // a board kind without a cookie, an unreadable cookie) leaves every board as it was.
    const std::vector<BoardOutcome> outcomes = WriteBoards(
        context.boards, context.store, plan.updates, context.progress, WriteMode::kAllOrNothing);
    bool refused = false;
    for (const BoardOutcome& outcome : outcomes) {
        if (outcome.written)
            continue;
        context.err << context.boards.Item(outcome.position)->Name() << messages::kCookieWriteFailed
                    << '\n';
        refused = true;
    }
    if (refused)
        return UsageError(context.err,
                          "import " + name + ": a board cannot be written (nothing written)");
    return ReportWrites(context.boards, outcomes, context.out);
}

}  // namespace tessel::cli
