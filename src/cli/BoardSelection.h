#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/BoardIndex.h"

namespace tessel::cli {

struct BoardSelection {
    std::vector<std::size_t> positions;  // in board-list order, each once
    std::string error;                   // set when an argument names no board or several
};

// The boards the arguments name, or every board when all is set.
BoardSelection SelectBoards(const BoardIndex& index, const std::vector<std::string>& arguments,
                            bool all);

}  // namespace tessel::cli
