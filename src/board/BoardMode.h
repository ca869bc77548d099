#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessel {

// The board script kinds and the board list keywords that name them (compared exactly).
enum BoardMode : std::int32_t {
    kModeFernoBBS = 0,  // cookie of nine fields
    kModeQuill = 1,     // cookie of ten fields
    kModeHarbor = 2,    // no cookie layout
};

inline constexpr std::string_view kModeKeywords[] = {"Ferno-BBS", "Ferno-BBS Quill",
                                                     "Ferno-BBS Harbor"};

// The mode a board list keyword names, or nullopt for anything else (other letter case too).
inline std::optional<BoardMode> ModeFromKeyword(std::string_view keyword) {
    for (std::int32_t mode = 0; mode < 3; ++mode) {
        if (keyword == kModeKeywords[mode])
            return static_cast<BoardMode>(mode);
    }
    return std::nullopt;
}

}  // namespace tessel
