#pragma once

#include <optional>
#include <string>

#include "app/UndoJournal.h"
#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// The undo journal in the user's state folder: $XDG_STATE_HOME/TesselCustom/undo-journal, or
// ~/.local/state/TesselCustom/undo-journal. Empty when neither variable gives a place.
std::string UndoJournalPath(const Environment& environment);

// The journal as a private file: its folders are made 0700, and it is replaced through a
// temporary file that is 0600 from its first byte, so that no other user ever reads a record.
class PosixJournalFile : public JournalFile {
  public:
    explicit PosixJournalFile(std::string path) : path_(std::move(path)) {}

    std::optional<std::string> Read(CookieFailure& error) override;
    bool Replace(const std::string& text, CookieFailure& error) override;
    std::string Where() const override { return path_; }

  private:
    std::string path_;
};

}  // namespace tessel
