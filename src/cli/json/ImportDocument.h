#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/BoardWriteBatch.h"
#include "cli/commands/BoardIndex.h"

namespace tessel::cli {

struct ImportPlan {
    std::vector<BoardUpdate> updates;  // in board-list order
    std::string error;                 // set when the document cannot be imported as a whole
};

// Reads a document in the form export writes, checking all of it before anything is written: an
// object keyed by section name (in any letter case) whose values are objects of the fields export
// writes, password included. Fields may be left out (the board keeps its own); unknown boards or
// fields, a board or field given twice, values of the wrong type, counts outside 0 to 50 and
// malformed JSON make the whole document fail.
ImportPlan ReadImport(std::string_view text, const BoardIndex& index);

}  // namespace tessel::cli
