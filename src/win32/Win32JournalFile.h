#pragma once

#include <optional>
#include <string>

#include "app/UndoJournal.h"

namespace tessel {

// The undo journal in %LOCALAPPDATA%\TesselCustom\undo-journal, a folder of the user's own that
// other users cannot read. Replaced through a temporary file beside it, moved over it in one step.
class Win32JournalFile : public JournalFile {
  public:
    Win32JournalFile();

    std::optional<std::string> Read(CookieFailure& error) override;
    bool Replace(const std::string& text, CookieFailure& error) override;
    std::string Where() const override;

  private:
    std::wstring folder_;  // empty when the user has no local application data folder
};

}  // namespace tessel
