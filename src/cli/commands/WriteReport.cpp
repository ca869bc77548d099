#include "cli/commands/WriteReport.h"

#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const BatchResult& result, std::ostream& out) {
    for (const BatchMessage& message : DescribeBatch(boards, result, TesselBatchWords())) {
        if (message.kind == BatchMessage::Kind::kSkipped)
            out << Fill(Tr("%s (skipped: %s)"), {message.text, message.reason}) << '\n';
        else
            out << message.text << '\n';
    }
    return result.Succeeded() ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
