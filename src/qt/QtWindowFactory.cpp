#include "qt/QtWindowFactory.h"

#include "qt/BoardListMenu.h"

namespace tessel {

void QtWindowFactory::OpenMainWindow(mdlMain& application) {
    window_ = std::make_unique<QtMainWindow>(storeDescription_);
    logic_ = std::make_unique<frmMain>(*window_, application, shell_);
    window_->Attach(*logic_);
    AddBoardListCommands(*window_, application, shell_);
    window_->show();
}

}  // namespace tessel
