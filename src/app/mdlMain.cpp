#include "app/mdlMain.h"

#include <exception>

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
        messages::kLoadFailed, mdlApp::GetMessageCaption(services_.executable), MessageIcon::kStop);
    return false;
}

std::string mdlMain::BoardListPath() {
    if (boardListOverride_)
        return *boardListOverride_;
    return mdlApp::GetAppPath(services_.executable) + services_.executable.BaseName() + ".ini";
}

bool mdlMain::LoadBBSList() {
    if (!m_BBSList)
        m_BBSList = std::make_unique<BoardList>();
    try {
        CIniFile ini(services_.profile);
        ini.Load(BoardListPath());
        for (const std::string& section : ini.Sections()) {
            ini.NowSection(section);
            auto board = std::make_unique<CBBSData>(services_.store, services_.clock);
            board->ID(section);
            board->Name(ini.Data("name"));
            board->NickName(ini.Data("nickname"));
            board->URL(ini.Data("url"));
            const std::optional<BoardMode> mode = ModeFromKeyword(ini.Data("mode"));
            if (!mode)
                throw RuntimeError(kErrUnknownBoard, messages::kUnknownBoard);
            board->Mode(*mode);
            m_BBSList->Add(std::move(board));
        }
        return true;
    } catch (const std::exception&) {
        // The failure's own text never reaches the user; the caller says that loading failed.
        return false;
    }
}

}  // namespace tessel
