#pragma once

#include <string>
#include <string_view>

namespace tessel {

// Two foldings. The names of sections and keys (and the boards named by them) fold every letter
// by Unicode's simple case folding, as the Windows collection and profile functions compare them,
// so "[É]" and "[é]" are one section: FoldNameCase and NamesEqualIgnoreCase. Protocol words
// (cookie attributes, domains, charset names, "true") are ASCII by definition and fold ASCII
// letters only: FoldChar, FoldCase and EqualsIgnoreCase.

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

// Whether text is word in any letter case, for a word of lower-case ASCII letters only: for
// those, setting bit 5 gives the lower case, and no other byte becomes one, so no branch per byte.
inline bool EqualsLetterWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    unsigned differences = 0;
    for (std::size_t i = 0; i < word.size(); ++i)
        differences |=
            (static_cast<unsigned char>(text[i]) | 0x20u) ^ static_cast<unsigned char>(word[i]);
    return differences == 0;
}

// Appends text to folded with every letter folded; bytes that are not UTF-8 are kept as they are.
void AppendFoldedNonAscii(std::string_view text, std::string& folded);

// Appends name to folded with every letter folded. Names are ASCII in practice, so ASCII is
// folded here without a table.
inline void AppendFoldedName(std::string_view name, std::string& folded) {
    const std::size_t start = folded.size();
    folded.resize(start + name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (static_cast<unsigned char>(name[i]) >= 0x80) {
            folded.resize(start + i);
            AppendFoldedNonAscii(name.substr(i), folded);
            return;
        }
        folded[start + i] = FoldChar(name[i]);
    }
}

inline std::string FoldNameCase(std::string_view name) {
    std::string folded;
    AppendFoldedName(name, folded);
    return folded;
}

inline bool NamesEqualIgnoreCase(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80)
            return FoldNameCase(a.substr(i)) == FoldNameCase(b.substr(i));
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    }
    return a.size() == b.size();  // no letter folds to nothing
}

}  // namespace tessel
