#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/BoardList.h"

namespace tessel::cli {

// Finds boards of the board list by what a user calls them: a position from 1, a section name in
// any letter case, or a nickname (exactly). Built at the first lookup, so that naming many boards
// of a long list stays cheap and choosing every board costs nothing.
class BoardIndex {
  public:
    explicit BoardIndex(const BoardList& boards) : boards_(boards) {}

    std::size_t Count() const { return boards_.Count(); }

    // The position of the board with this section name, in any letter case.
    std::optional<std::size_t> FindId(std::string_view id) const;

    // The position of the one board the argument names. When it names none, or several different
    // boards, error says so.
    std::optional<std::size_t> Resolve(std::string_view argument, std::string& error) const;

  private:
    std::vector<std::size_t> Candidates(std::string_view argument) const;
    void Build() const;

    const BoardList& boards_;
    mutable bool built_ = false;
    mutable std::unordered_map<std::string, std::size_t> ids_;
    mutable std::unordered_map<std::string, std::vector<std::size_t>> nicknames_;
};

struct BoardSelection {
    std::vector<std::size_t> positions;  // in board-list order, each once
    std::string error;                   // set when an argument names no board or several
};

// The boards the arguments name, or every board when all is set.
BoardSelection SelectBoards(const BoardIndex& index, const std::vector<std::string>& arguments,
                            bool all);

}  // namespace tessel::cli
