#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "app/BoardWriteBatch.h"
#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/WriteReport.h"
#include "cli/json/ImportDocument.h"

namespace tessel::cli {
namespace {

// A preference file for the largest board list is a few megabytes; a document far larger is not
// one, and reading it whole would only cost memory.
constexpr std::size_t kMaxDocumentSize = 64 << 20;

std::string TooLarge() {
    return Fill(Tr("larger than %s MiB, far more than any preference file"),
                {std::to_string(kMaxDocumentSize >> 20)});
}

// Reads in at most kMaxDocumentSize bytes; error says why not.
std::optional<std::string> ReadAll(std::istream& in, std::string& error) {
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxDocumentSize) {
            error = TooLarge();
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = Tr("cannot be read");
        return std::nullopt;
    }
    return text;
}

// The document to import: the named file, or standard input for "-".
std::optional<std::string> ReadDocument(const std::string& name, std::istream& standardInput,
                                        std::string& error) {
    if (name == "-")
        return ReadAll(standardInput, error);
    std::ifstream file(name, std::ios::binary | std::ios::ate);
    if (!file) {
        error = Tr("cannot be opened");
        return std::nullopt;
    }
    // A regular file tells its size, so that one far too large is refused before it is read.
    if (file.tellg() > static_cast<std::streamoff>(kMaxDocumentSize)) {
        error = TooLarge();
        return std::nullopt;
    }
    file.seekg(0);
    return ReadAll(file, error);
}

}  // namespace

int RunImport(const Invocation& invocation, CommandContext& context) {
    const std::string& name = invocation.operands.at(0);
    std::string error;
    const std::optional<std::string> text = ReadDocument(name, context.in, error);
    if (!text)
        return UsageError(context.err, Fill(Tr("import %s: %s (nothing written)"), {name, error}));
    const ImportPlan plan = ReadImport(*text, BoardIndex(context.boards));
    if (!plan.error.empty())
        return UsageError(context.err,
                          Fill(Tr("import %s: %s (nothing written)"), {name, plan.error}));
    // An import is whole or nothing: a board the store refuses (a character its code page lacks,
    // a board kind without a cookie, an unreadable cookie) leaves every board as it was, and the
    // document is at fault. A store that fails is told as in apply.
    BatchRules rules;
    rules.kindDefaultsWithoutCookie = true;
    rules.allOrNothing = true;
    const BatchResult result = WriteBoards(context.boards, context.store, plan.updates, rules,
                                           context.progress, context.journal);
    if (result.storeFailure || result.Count(BoardResult::kFailed) == 0)
        return ReportWrites(context.boards, result, context.out);
    for (const BoardOutcome& outcome : result.outcomes) {
        if (outcome.result == BoardResult::kFailed) {
            Diagnose(context.err,
                     TesselBatchWords().notWritten(context.boards.Item(outcome.position)->Name()),
                     FailureText(outcome.failure));
        }
    }
    return UsageError(context.err,
                      Fill(Tr("import %s: a board cannot be written (nothing written)"), {name}));
}

}  // namespace tessel::cli
