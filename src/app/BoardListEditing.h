#pragma once

#include <string>

#include "app/DocumentShell.h"
#include "app/mdlMain.h"

namespace tessel {

struct BoardListEdit {
    bool opened = false;
    std::string text;  // for the status bar when opened, for a message box when not
};

// The file menu's board-list command: opens the board list in the desktop's text editor. When no
// list was found, the user's own is first made from the installed sample. The registry is not
// reloaded here: the text points to the command that reads it again.
BoardListEdit EditBoardList(mdlMain& application, DocumentShell& shell);

// The status bar's name of the board list in use.
std::string BoardListInUse(mdlMain& application);

}  // namespace tessel
