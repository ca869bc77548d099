#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/BoardWriteBatch.h"
#include "board/CBBSData.h"

namespace tessel::cli {

// Posts per page and log posts per download: the window's spin boxes offer 0 to 50.
inline constexpr std::int64_t kMinCount = 0;
inline constexpr std::int64_t kMaxCount = 50;

inline bool IsCount(std::int64_t value) {
    return value >= kMinCount && value <= kMaxCount;
}

// The unread markers are read back as 16-bit integers; a wider one would make the cookie
// unreadable.
inline bool IsMarker(std::int64_t value) {
    return value >= -32768 && value <= 32767;
}

// Ferno-BBS Harbor boards have no cookie layout, so they keep no preferences to read or export.
bool HasPreferencesCookie(const CBBSData& board);

// "newest" or "oldest" for a display order; any order other than 0 counts as oldest first.
std::string_view OrderKeyword(std::int32_t viewOrder);
std::optional<std::int32_t> ParseOrderKeyword(std::string_view keyword);

// Unread reading is on for any value but 0.
inline bool UnreadIsOn(std::int32_t noReadView) {
    return noReadView != 0;
}

// The board list keyword of the board's kind, "?" for a mode no keyword names.
std::string_view KindKeyword(const CBBSData& board);

}  // namespace tessel::cli
