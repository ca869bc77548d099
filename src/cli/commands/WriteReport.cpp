#include "cli/commands/WriteReport.h"

#include "app/Messages.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"

namespace tessel::cli {

int ReportWrites(const BoardList& boards, const BatchResult& result, std::ostream& out) {
    // Written at once: each write to the stream is a pass through the terminal filter.
    std::size_t size = 1024;  // the closing line, a failure's
    for (const BoardOutcome& outcome : result.outcomes)
        size += boards.Item(outcome.position)->Name().size() + 1;
    std::string report;
    report.reserve(size);
    DescribeBatchLines(
        boards, result, TesselBatchWords(),
        [&](BatchMessage::Kind kind, std::string_view text, std::string_view reason) {
            if (kind == BatchMessage::Kind::kSkipped)
                report += Fill(Tr("%s (skipped: %s)"), {text, reason});
            else
                report += text;
            report += '\n';
        });
    out << report;
    return result.Succeeded() ? kExitOk : kExitSomeFailed;
}

}  // namespace tessel::cli
