#include "cli/commands/WriteReport.h"

#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const BatchResult& result, std::ostream& out) {
    // Written at once: each write to the stream is a pass through the terminal filter.
    std::string report;
    for (const BatchMessage& message : DescribeBatch(boards, result, TesselBatchWords())) {
        if (message.kind == BatchMessage::Kind::kSkipped)
            report += Fill(Tr("%s (skipped: %s)"), {message.text, message.reason});
        else
            report += message.text;
        report += '\n';
    }
    out << report;
    return result.Succeeded() ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
