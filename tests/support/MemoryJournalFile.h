#pragma once

#include <optional>
#include <string>

#include "app/UndoJournal.h"

namespace tessel::testing {

// The journal in memory; either side can be made to fail.
class MemoryJournalFile : public JournalFile {
  public:
    std::optional<std::string> Read(CookieFailure& error) override {
        if (failRead)
            error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().System("unreadable"));
        return failRead ? std::nullopt : std::optional<std::string>(text);
    }
    bool Replace(const std::string& replacement, CookieFailure& error) override {
        if (failWrite) {
            error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().System("read-only"));
            return false;
        }
        text = replacement;
        return true;
    }
    std::string Where() const override { return "/state/undo-journal"; }

    std::string text;
    bool failRead = false;
    bool failWrite = false;
};

}  // namespace tessel::testing
