#include "qt/QtWindowFactory.h"

namespace tessel {

void QtWindowFactory::OpenMainWindow(mdlMain& application) {
    window_ = std::make_unique<QtMainWindow>(storeDescription_);
    logic_ = std::make_unique<frmMain>(*window_, application, shell_);
    window_->Attach(*logic_);
    window_->show();
}

}  // namespace tessel
