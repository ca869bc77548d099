#pragma once

#include <string>

#include "app/DocumentShell.h"

namespace tessel {

// Opens documents with the desktop's associated program through xdg-open, started directly (never
// through a shell, so no file name can inject a command) and not waited for.
//
// Execute refuses (false) a verb other than "open", parameters (xdg-open takes none), a file that
// is missing or unreadable, and a launcher that cannot be started.
class XdgOpenShell : public DocumentShell {
  public:
    // launcher replaces xdg-open (for tests); a name without "/" is looked up in PATH.
    explicit XdgOpenShell(std::string launcher = "xdg-open") : launcher_(std::move(launcher)) {}

    std::uintptr_t GetDesktopWindow() override { return 0; }
    bool Execute(const ExecuteInfo& request) override;

  private:
    std::string launcher_;
};

}  // namespace tessel
