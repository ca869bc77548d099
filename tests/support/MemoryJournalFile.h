#pragma once

#include <optional>
#include <string>

#include "app/UndoJournal.h"

namespace tessel::testing {

// The journal in memory; either side can be made to fail.
class MemoryJournalFile : public JournalFile {
  public:
    std::optional<std::string> Read(std::string& error) override {
        if (failRead)
            error = "unreadable";
        return failRead ? std::nullopt : std::optional<std::string>(text);
    }
    bool Replace(const std::string& replacement, std::string& error) override {
        if (failWrite) {
            error = "read-only";
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
