#pragma once

#include <string>

#include "app/ExecutableInfo.h"

namespace tessel {

// The running executable on Windows: its path from GetModuleFileNameW, its identity from its own
// version resource.
class ModuleExecutable : public ExecutableInfo {
  public:
    // exePath (UTF-8) stands in for the module's path in Directory and BaseName (for tests).
    explicit ModuleExecutable(std::string exePath = {}) : exePath_(std::move(exePath)) {}

    std::string Directory() override;
    std::string BaseName() override;
    char PathSeparator() override { return '\\'; }
    VersionResource Version() override;

  private:
    std::wstring ExePath();
    std::string exePath_;
};

// The module's own path (UTF-16, any length).
std::wstring ModulePath();

}  // namespace tessel
