#pragma once

#include <memory>

#include "board/CBBSData.h"
#include "settings/Collection.h"

namespace tessel {

// The board registry: the boards of the board list in file order, at positions 1 to Count. Fixed
// after start-up; row r of the main window's list shows board r + 1.
using BoardList = Collection<std::unique_ptr<CBBSData>>;

}  // namespace tessel
