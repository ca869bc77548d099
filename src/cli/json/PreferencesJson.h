#pragma once

#include <cstddef>

#include "board/CBBSData.h"
#include "cli/json/JsonOutput.h"

namespace tessel::cli {

// A board's preferences as the object export writes and import reads: name, mail, homePage,
// viewCount, downloadCount, order ("newest"/"oldest"), unread (true/false), noReadPoint,
// noReadPointR, and password only when asked for.
Json PreferencesToJson(const CBBSData& board, bool withPassword);

// Where a board is and what it is: position, id, nickname, name, kind, url.
Json IdentityToJson(const CBBSData& board, std::size_t position);

}  // namespace tessel::cli
