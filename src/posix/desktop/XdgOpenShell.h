#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/DocumentShell.h"

namespace tessel {

// Opens documents with the desktop's associated program through xdg-open, or where that is
// missing through the next opener that can be started (gio open, then a last resort the caller
// gives, such as the toolkit's own). A launcher is started directly (never through a shell, so no
// file name can inject a command) and not waited for.
//
// Execute refuses (false) a verb other than "open", parameters (the openers take none), a file
// that is missing or unreadable, and the case where no opener can be started.
class XdgOpenShell : public DocumentShell {
  public:
    // Each launcher is a command to which the file is appended; a program name without "/" is
    // looked up in PATH.
    using Launchers = std::vector<std::vector<std::string>>;
    // Opens the file some other way; true when that was accepted.
    using LastResort = std::function<bool(const std::string& file)>;

    static Launchers DesktopLaunchers() { return {{"xdg-open"}, {"gio", "open"}}; }

    explicit XdgOpenShell(Launchers launchers = DesktopLaunchers(), LastResort lastResort = {})
        : launchers_(std::move(launchers)), lastResort_(std::move(lastResort)) {}

    std::uintptr_t GetDesktopWindow() override { return 0; }
    bool Execute(const ExecuteInfo& request) override;

  private:
    Launchers launchers_;
    LastResort lastResort_;
};

}  // namespace tessel
