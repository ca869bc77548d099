#include <algorithm>
#include <numeric>

#include "cli/commands/BoardIndex.h"

namespace tessel::cli {

BoardSelection SelectBoards(const BoardIndex& index, const std::vector<std::string>& arguments,
                            bool all) {
    BoardSelection selection;
    if (all) {
        selection.positions.resize(index.Count());
        std::iota(selection.positions.begin(), selection.positions.end(), std::size_t{1});
        return selection;
    }
    for (const std::string& argument : arguments) {
        const auto position = index.Resolve(argument, selection.error);
        if (!position)
            return {{}, selection.error};
        selection.positions.push_back(*position);
    }
    std::sort(selection.positions.begin(), selection.positions.end());
    const auto repeated = std::unique(selection.positions.begin(), selection.positions.end());
    selection.positions.erase(repeated, selection.positions.end());
    return selection;
}

}  // namespace tessel::cli
