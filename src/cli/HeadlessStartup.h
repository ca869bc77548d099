#pragma once

#include <string>

#include "app/ExecutableInfo.h"
#include "app/MessageBoxHost.h"
#include "app/mdlMain.h"

namespace tessel::cli {

// Start-up's services that only the window uses: when tessel loads the board list, loading shows
// no message box and opens no window (tessel reports a failed load itself).
class NoMessages : public MessageBoxHost {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

class NoWindow : public MainWindowFactory {
  public:
    void OpenMainWindow(mdlMain&) override {}
};

// tessel beside the window's executable: the same place and version, but named after the product,
// so that the start-up rule for the board list ("named after the executable, with .ini") finds the
// window's list rather than one of tessel's own.
class CompanionExecutable : public ExecutableInfo {
  public:
    explicit CompanionExecutable(ExecutableInfo& self) : self_(self) {}

    std::string Directory() override { return self_.Directory(); }
    std::string BaseName() override { return self_.Version().productName; }
    char PathSeparator() override { return self_.PathSeparator(); }
    VersionResource Version() override { return self_.Version(); }

  private:
    ExecutableInfo& self_;
};

}  // namespace tessel::cli
