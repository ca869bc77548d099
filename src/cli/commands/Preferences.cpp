#include "cli/commands/Preferences.h"

#include "board/BoardMode.h"
#include "board/CookieLayout.h"

namespace tessel::cli {

bool HasPreferencesCookie(const CBBSData& board) {
    return LayoutOf(board.Mode()) != nullptr;
}

std::string_view OrderKeyword(std::int32_t viewOrder) {
    return viewOrder == 0 ? "newest" : "oldest";
}

std::optional<std::int32_t> ParseOrderKeyword(std::string_view keyword) {
    if (keyword == "newest")
        return 0;
    if (keyword == "oldest")
        return 1;
    return std::nullopt;
}

std::string_view KindKeyword(const CBBSData& board) {
    const std::int32_t mode = board.Mode();
    return mode >= 0 && mode < 3 ? kModeKeywords[mode] : std::string_view("?");
}

}  // namespace tessel::cli
