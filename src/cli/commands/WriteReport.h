#pragma once

#include <ostream>
#include <vector>

#include "app/BoardList.h"
#include "cli/commands/BoardWriter.h"

namespace tessel::cli {

// Prints what the window reports after writing: a line per board, its name when written or the
// window's message and its reason when not, then the closing message. Returns the exit status:
// ok when every board was written or skipped (a board kind that keeps no cookie).
int ReportWrites(const BoardList& boards, const std::vector<BoardOutcome>& outcomes,
                 std::ostream& out);

}  // namespace tessel::cli
