#pragma once

#include <string>

#include "app/ExecutableInfo.h"

namespace tessel {

// The running executable on Linux: its path from /proc/self/exe, its version compiled in from the
// project's identity.
class ProcExecutable : public ExecutableInfo {
  public:
    // exePath replaces /proc/self/exe (for tests).
    explicit ProcExecutable(std::string exePath = {}) : exePath_(std::move(exePath)) {}

    std::string Directory() override;
    std::string BaseName() override;
    char PathSeparator() override { return '/'; }
    VersionResource Version() override;

  private:
    std::string ExePath();
    std::string exePath_;
};

}  // namespace tessel
