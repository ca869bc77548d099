#include "cli/commands/WriteReport.h"

#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const BatchResult& result, std::ostream& out) {
    // Written at once: each write to the stream is a pass through the terminal filter.
    const std::vector<BatchMessage> messages = DescribeBatch(boards, result, TesselBatchWords());
    std::size_t size = 0;
    for (const BatchMessage& message : messages)
        size += message.text.size() + message.reason.size() + 1;
    std::string report;
    report.reserve(size + size / 8);
    for (const BatchMessage& message : messages) {
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
