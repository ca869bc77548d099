#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/UndoJournal.h"
#include "support/FakeCookieStore.h"

namespace tessel::testing {

// The journal in memory; either side can be made to fail.
class MemoryJournalFile : public JournalFile {
  public:
    bool Prepare(CookieFailure& error) override { return Writable(error); }
    std::optional<std::vector<std::uint64_t>> Numbers(CookieFailure& error) override {
        if (!Readable(error))
            return std::nullopt;
        std::vector<std::uint64_t> numbers;
        for (const auto& [number, text] : batches)
            numbers.insert(numbers.begin(), number);  // in no order, as a folder lists them
        return numbers;
    }
    std::optional<std::string> Read(std::uint64_t number, CookieFailure& error) override {
        if (!Readable(error))
            return std::nullopt;
        return batches.at(number);
    }
    bool Add(std::uint64_t number, const std::string& text, CookieFailure& error) override {
        addedWhenStoreStaged = store != nullptr ? store->stages : -1;
        if (!Writable(error) || failAdd)
            return false;
        return batches.emplace(number, text).second;
    }
    bool Remove(std::uint64_t number, CookieFailure& error) override {
        if (!Writable(error))
            return false;
        batches.erase(number);
        return true;
    }
    std::string Where() const override { return "/state/undo"; }

    // Every batch's text, oldest first.
    std::string Text() const {
        std::string text;
        for (const auto& [number, batch] : batches)
            text += batch;
        return text;
    }

    std::map<std::uint64_t, std::string> batches;
    bool failRead = false;
    bool failWrite = false;
    bool failAdd = false;  // only adding a batch fails
    // The store, if given, whose staged batches a batch added is counted against.
    const FakeCookieStore* store = nullptr;
    int addedWhenStoreStaged = -1;

  private:
    bool Readable(CookieFailure& error) const {
        if (failRead)
            error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().System("unreadable"));
        return !failRead;
    }
    bool Writable(CookieFailure& error) const {
        if (failWrite)
            error = MakeFailure(CookieProblem::kFileFailed, CookieDetails().System("read-only"));
        return !failWrite;
    }
};

}  // namespace tessel::testing
