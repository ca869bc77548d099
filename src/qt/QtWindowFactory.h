#pragma once

#include <QString>
#include <memory>

#include "app/DocumentShell.h"
#include "app/frmMain.h"
#include "app/mdlMain.h"
#include "qt/QtMainWindow.h"

namespace tessel {

// Opens the Qt main window with its logic over the loaded registry; keeps both alive until the
// factory goes (at the end of the program, after the window was closed).
class QtWindowFactory : public MainWindowFactory {
  public:
    QtWindowFactory(DocumentShell& shell, QString storeDescription)
        : shell_(shell), storeDescription_(std::move(storeDescription)) {}

    void OpenMainWindow(mdlMain& application) override;

    QtMainWindow* Window() const { return window_.get(); }

  private:
    DocumentShell& shell_;
    QString storeDescription_;
    std::unique_ptr<QtMainWindow> window_;
    std::unique_ptr<frmMain> logic_;
};

}  // namespace tessel
