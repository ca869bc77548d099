#pragma once

#include <string>

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

}  // namespace tessel::cli
