#include "app/mdlMain.h"

#include <exception>
#include <utility>

#include "app/BoardListSearch.h"
#include "app/FailureText.h"
#include "app/Messages.h"
#include "app/mdlApp.h"
#include "board/BoardMode.h"
#include "settings/CIniFile.h"
#include "settings/RuntimeError.h"

namespace tessel {

bool mdlMain::Main() {
    m_BBSList = std::make_unique<BoardList>();
    if (LoadBBSList()) {
        services_.windows.OpenMainWindow(*this);
        return true;
    }
    services_.messages.ShowMessage(
        messages::WithReason(messages::kLoadFailed, BoardListFailureText(loadFailure_)),
        mdlApp::GetMessageCaption(services_.executable), MessageIcon::kStop);
    return false;
}

std::string mdlMain::BoardListPath() const {
    if (boardListOverride_)
        return *boardListOverride_;
    if (places_ != nullptr) {
        const BoardListSearch search = FindBoardList(services_.executable, *places_);
        return search.found.value_or(search.looked.front());
    }
    return mdlApp::GetAppPath(services_.executable) + services_.executable.BaseName() + ".ini";
}

std::vector<std::string> mdlMain::PlacesToLook() const {
    if (places_ == nullptr || boardListOverride_)
        return {BoardListPath()};
    return FindBoardList(services_.executable, *places_).looked;
}

bool mdlMain::ReloadBBSList() {
    std::unique_ptr<BoardList> previous = std::move(m_BBSList);
    if (LoadBBSList())
        return true;
    m_BBSList = std::move(previous);
    return false;
}

bool mdlMain::LoadBBSList() {
    if (!m_BBSList)
        m_BBSList = std::make_unique<BoardList>();
    loadFailure_ = {};
    boardListMissing_ = false;
    const std::string path = BoardListPath();
    looked_ = PlacesToLook();
    try {
        CIniFile ini(services_.profile);
        ini.Load(path);
        // Only a missing list is an empty one; a list that is there but cannot be used fails,
        // rather than leaving the reader with no boards and no word of why.
        boardListMissing_ = services_.profile.LastFileMissing();
        if (boardListMissing_ && boardListOverride_)
            return Failed(path, ProfileProblem::kNotFound);
        if (services_.profile.LastFailure())
            return Failed(path, services_.profile.LastFailure());
        for (const std::string& section : ini.Sections()) {
            ini.NowSection(section);
            auto board = std::make_unique<CBBSData>(services_.store, services_.clock);
            board->ID(section);
            board->Name(ini.Data("name"));
            board->NickName(ini.Data("nickname"));
            board->URL(ini.Data("url"));
            const std::string keyword = ini.Data("mode");
            const std::optional<BoardMode> mode = ModeFromKeyword(keyword);
            if (!mode) {
                loadFailure_ =
                    keyword.empty() ? ProfileProblem::kNoMode : ProfileProblem::kUnknownMode;
                loadFailure_.section = section;
                loadFailure_.text = keyword;
                throw RuntimeError(kErrUnknownBoard, messages::kUnknownBoard);
            }
            board->Mode(*mode);
            m_BBSList->Add(std::move(board));
        }
        return true;
    } catch (const RepeatedSectionError& error) {
        // The error's own text never reaches the user; the reason says what is wrong in the file.
        loadFailure_ = ProfileProblem::kSameSectionNames;
        loadFailure_.section = error.Earlier();
        loadFailure_.text = error.Later();
        return Failed(path, loadFailure_);
    } catch (const std::exception&) {
        return Failed(path, loadFailure_);
    }
}

bool mdlMain::Failed(const std::string& path, ProfileFailure cause) {
    loadFailure_ = std::move(cause);
    loadFailure_.path = path;
    return false;
}

std::string mdlMain::LoadNote() const {
    if (!boardListMissing_)
        return {};
    std::string places;
    for (const std::string& place : looked_)
        places += (places.empty() ? "" : "、") + place;
    return "掲示板一覧がないため、一覧は空です（探した場所: " + places + "）";
}

}  // namespace tessel
