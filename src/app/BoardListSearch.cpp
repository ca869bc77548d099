#include "app/BoardListSearch.h"

#include "app/mdlApp.h"

namespace tessel {
namespace {

constexpr const char* kConfigName = "/TesselCustom/TesselCustom.ini";

bool Absolute(const std::string& directory) {
    return !directory.empty() && directory.front() == '/';
}

std::string ConfigHome(AppPlaces& places) {
    const std::string configured = places.Environment("XDG_CONFIG_HOME");
    if (Absolute(configured))
        return configured;
    const std::string home = places.Environment("HOME");
    return Absolute(home) ? home + "/.config" : std::string();
}

std::vector<std::string> ConfigDirs(AppPlaces& places) {
    std::string list = places.Environment("XDG_CONFIG_DIRS");
    if (list.empty())
        list = "/etc/xdg";
    std::vector<std::string> dirs;
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t colon = std::min(list.find(':', from), list.size());
        if (const std::string dir = list.substr(from, colon - from); Absolute(dir))
            dirs.push_back(dir);
        from = colon + 1;
    }
    return dirs;
}

}  // namespace

std::string UserBoardList(AppPlaces& places) {
    const std::string home = ConfigHome(places);
    return home.empty() ? home : home + kConfigName;
}

std::vector<std::string> BoardListCandidates(ExecutableInfo& executable, AppPlaces& places) {
    std::vector<std::string> candidates{mdlApp::GetAppPath(executable) + executable.BaseName() +
                                        ".ini"};
    if (std::string user = UserBoardList(places); !user.empty())
        candidates.push_back(std::move(user));
    for (const std::string& dir : ConfigDirs(places))
        candidates.push_back(dir + kConfigName);
    return candidates;
}

BoardListSearch FindBoardList(ExecutableInfo& executable, AppPlaces& places) {
    BoardListSearch search;
    for (std::string& candidate : BoardListCandidates(executable, places)) {
        search.looked.push_back(candidate);
        if (places.Exists(candidate)) {
            search.found = std::move(candidate);
            break;
        }
    }
    return search;
}

CreatedBoardList CreateBoardList(AppPlaces& places, const std::optional<std::string>& target) {
    using Outcome = CreatedBoardList::Outcome;
    CreatedBoardList created{Outcome::kCreated, target.value_or(UserBoardList(places)), {}};
    const std::string sample = places.SampleBoardList();
    if (created.path.empty())
        created.outcome = Outcome::kNoPlace;
    else if (places.Exists(created.path))
        created.outcome = Outcome::kAlreadyThere;
    else if (sample.empty())
        created.outcome = Outcome::kNoSample;
    else if (created.failure = places.CopyToNewFile(sample, created.path); created.failure)
        created.outcome = Outcome::kCopyFailed;
    return created;
}

}  // namespace tessel
