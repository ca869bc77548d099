#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/UndoJournal.h"
#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// The undo journal's folder in the user's state folder: $XDG_STATE_HOME/TesselCustom/undo, or
// ~/.local/state/TesselCustom/undo. Empty when neither variable gives a place.
std::string UndoJournalPath(const Environment& environment);

// The journal as a private folder, a file "batch-<number>" per batch: the folders are made 0700,
// and each batch is written through a temporary file that is 0600 from its first byte, so that no
// other user ever reads a record. A forgotten batch is renamed aside at once and removed on
// another thread as the next batch starts: where the file system discards freed blocks at once,
// removing it in the batch that forgot it held that batch up.
class PosixJournalFile : public JournalFile {
  public:
    explicit PosixJournalFile(std::string path) : path_(std::move(path)) {}

    bool Prepare(CookieFailure& error) override;
    std::optional<std::vector<std::uint64_t>> Numbers(CookieFailure& error) override;
    std::optional<std::string> Read(std::uint64_t number, CookieFailure& error) override;
    bool Add(std::uint64_t number, const std::string& text, CookieFailure& error) override;
    bool Remove(std::uint64_t number, CookieFailure& error) override;
    void Forget(std::uint64_t number) override;
    // On a thread of its own, and once until the next Forget: a program may call it early,
    // before the batch asks.
    void ClearForgotten() override;
    std::string Where() const override { return path_; }

  private:
    std::string PathOf(std::uint64_t number) const;

    std::string path_;
    bool cleared_ = false;   // since the last Forget
    std::jthread clearing_;  // last, so that it ends first
};

}  // namespace tessel
