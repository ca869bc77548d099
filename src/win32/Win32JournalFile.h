#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/UndoJournal.h"

namespace tessel {

// The undo journal in %LOCALAPPDATA%\TesselCustom\undo, a folder of the user's own that other
// users cannot read, a file "batch-<number>" per batch. Each batch is written to a temporary file
// beside it, flushed, and moved to its name in one step.
class Win32JournalFile : public JournalFile {
  public:
    Win32JournalFile();

    bool Prepare(CookieFailure& error) override;
    std::optional<std::vector<std::uint64_t>> Numbers(CookieFailure& error) override;
    std::optional<std::string> Read(std::uint64_t number, CookieFailure& error) override;
    bool Add(std::uint64_t number, const std::string& text, CookieFailure& error) override;
    bool Remove(std::uint64_t number, CookieFailure& error) override;
    std::string Where() const override;

  private:
    std::wstring PathOf(std::uint64_t number) const;

    std::wstring folder_;  // empty when the user has no local application data folder
};

}  // namespace tessel
