#pragma once

#include <ostream>

#include "app/BoardWriteBatch.h"

namespace tessel::cli {

// Prints what the window tells of a batch, a line per board (its name when written), then the
// store's failure and the closing message. Returns the exit status: ok only when every board to
// write was written.
int ReportWrites(const BoardList& boards, const BatchResult& result, std::ostream& out);

}  // namespace tessel::cli
