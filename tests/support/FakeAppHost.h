#pragma once

#include <string>
#include <vector>

#include "app/DocumentShell.h"
#include "app/ExecutableInfo.h"
#include "app/MessageBoxHost.h"
#include "app/mdlMain.h"

namespace tessel::testing {

// An executable whose place and version the test chooses.
class FakeExecutable : public ExecutableInfo {
  public:
    std::string directory = "C:\\Tools";
    std::string baseName = "TesselCustom";
    char separator = '\\';
    VersionResource version{"TesselCustom", "(C) Test", 1, 1, 1};

    std::string Directory() override { return directory; }
    std::string BaseName() override { return baseName; }
    char PathSeparator() override { return separator; }
    VersionResource Version() override { return version; }
};

// Records every message box instead of showing it.
class RecordingMessages : public MessageBoxHost {
  public:
    struct Shown {
        std::string text, caption;
        MessageIcon icon;
    };
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        shown.push_back({text, caption, icon});
    }
    std::vector<Shown> shown;
};

// Records the requests it gets and answers with accept.
class FakeShell : public DocumentShell {
  public:
    std::uintptr_t GetDesktopWindow() override { return 0x10010; }
    bool Execute(const ExecuteInfo& request) override {
        requests.push_back(request);
        return accept;
    }
    bool accept = true;
    std::vector<ExecuteInfo> requests;
};

// Counts the main windows opened.
class FakeWindowFactory : public MainWindowFactory {
  public:
    void OpenMainWindow(mdlMain&) override { ++opened; }
    int opened = 0;
};

}  // namespace tessel::testing
