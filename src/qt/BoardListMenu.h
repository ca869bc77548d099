#pragma once

#include "app/DocumentShell.h"
#include "app/mdlMain.h"
#include "qt/QtMainWindow.h"

namespace tessel {

// Joins the board list to the window: a file-menu command that opens it in the desktop's text
// editor (making the user's own from the sample when there is none), and its name in the status
// bar.
void AddBoardListCommands(QtMainWindow& window, mdlMain& application, DocumentShell& shell);

}  // namespace tessel
