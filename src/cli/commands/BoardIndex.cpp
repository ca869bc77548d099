#include "cli/commands/BoardIndex.h"

#include <algorithm>
#include <charconv>

#include "cli/Translate.h"
#include "text/TextCase.h"

namespace tessel::cli {
namespace {

std::optional<std::size_t> PositionIn(std::string_view argument, std::size_t count) {
    std::size_t position = 0;
    const char* end = argument.data() + argument.size();
    const auto [stop, error] = std::from_chars(argument.data(), end, position);
    if (error != std::errc() || stop != end || position < 1 || position > count)
        return std::nullopt;
    return position;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

void BoardIndex::Build() const {
    if (built_)
        return;
    built_ = true;
    std::size_t position = 0;
    for (const auto& board : boards_) {
        ++position;
        ids_.emplace(FoldNameCase(board->ID()), position);
        nicknames_[board->NickName()].push_back(position);
    }
}

std::optional<std::size_t> BoardIndex::FindId(std::string_view id) const {
    Build();
    const auto found = ids_.find(FoldNameCase(id));
    return found == ids_.end() ? std::nullopt : std::optional<std::size_t>(found->second);
}

std::vector<std::size_t> BoardIndex::Candidates(std::string_view argument) const {
    std::vector<std::size_t> found;
    if (const auto position = PositionIn(argument, Count()))
        found.push_back(*position);
    if (const auto position = FindId(argument))
        found.push_back(*position);
    Build();
    if (const auto named = nicknames_.find(std::string(argument)); named != nicknames_.end())
        found.insert(found.end(), named->second.begin(), named->second.end());
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::optional<std::size_t> BoardIndex::Resolve(std::string_view argument,
                                               std::string& error) const {
    if (argument.empty()) {
        error = Tr("an empty board name names no board");
        return std::nullopt;
    }
    const std::vector<std::size_t> found = Candidates(argument);
    if (found.size() == 1)
        return found[0];
    if (found.empty()) {
        error = Fill(Tr("no board is called %s (see 'tessel list')"), {Quoted(argument)});
    } else {
        error = Fill(Tr("%s names more than one board (positions %s and %s): use the position or "
                        "the section name"),
                     {Quoted(argument), std::to_string(found[0]), std::to_string(found[1])});
    }
    return std::nullopt;
}

}  // namespace tessel::cli
