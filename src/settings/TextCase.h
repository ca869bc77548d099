#pragma once

#include <string>
#include <string_view>

namespace tessel {

// Names of sections and keys are compared without regard to letter case. Only ASCII letters are
// folded: the board list's names are ASCII in practice, and folding more would make two names
// equal here that the platform's profile functions keep apart.
inline char FoldChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        c = FoldChar(c);
    return folded;
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    }
    return true;
}

}  // namespace tessel
