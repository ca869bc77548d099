#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessel {

// A hash index from names to positions in a list the caller keeps: open addressing over one flat
// array, so that a lookup in tens of thousands of names touches one or two cache lines instead of
// chasing a node per name. The names themselves are not stored; keyAt(position) gives the
// caller's name at a position, and names are compared exactly (fold them first to ignore case).
class NameIndex {
  public:
    static std::uint32_t Hash(std::string_view name) {
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (unsigned char c : name)
            hash = (hash ^ c) * 16777619u;
        return hash;
    }

    std::size_t Count() const { return count_; }

    void Clear() {
        slots_.clear();
        count_ = 0;
    }

    // Makes room for count names, so that adding them never rehashes.
    void Reserve(std::size_t count) {
        if (count * 2 > slots_.size())
            Rehash(count);
    }

    template <typename KeyAt>
    std::optional<std::uint32_t> Find(std::string_view name, KeyAt keyAt) const {
        return FindHashed(name, Hash(name), keyAt);
    }
    // The same for a name whose Hash the caller has.
    template <typename KeyAt>
    std::optional<std::uint32_t> FindHashed(std::string_view name, std::uint32_t hash,
                                            KeyAt keyAt) const {
        if (slots_.empty())
            return std::nullopt;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.position == kEmpty)
                return std::nullopt;
            if (slot.hash == hash && keyAt(slot.position) == name)
                return slot.position;
        }
    }

    // Adds name at position unless the name is present; returns whether it was added.
    template <typename KeyAt>
    bool Insert(std::string_view name, std::uint32_t position, KeyAt keyAt) {
        const std::uint32_t hash = Hash(name);
        if (FindHashed(name, hash, keyAt))
            return false;
        if ((count_ + 1) * 2 > slots_.size())
            Rehash(count_ + 1);
        Place(hash, position);
        ++count_;
        return true;
    }

    // Adds name at position; the caller knows that the name is not present yet.
    void InsertAbsent(std::string_view name, std::uint32_t position) {
        InsertAbsentHashed(Hash(name), position);
    }
    // The same for a name whose Hash the caller has.
    void InsertAbsentHashed(std::uint32_t hash, std::uint32_t position) {
        if ((count_ + 1) * 2 > slots_.size())
            Rehash(count_ + 1);
        Place(hash, position);
        ++count_;
    }

    // Builds the index anew over positions 0 to count - 1, skipping those for which skip is true.
    template <typename KeyAt, typename Skip>
    void Rebuild(std::size_t count, KeyAt keyAt, Skip skip) {
        slots_.assign(SlotsFor(count), Slot{});
        count_ = 0;
        for (std::uint32_t position = 0; position < count; ++position) {
            if (skip(position))
                continue;
            Place(Hash(keyAt(position)), position);
            ++count_;
        }
    }

  private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = kEmpty;
    };

    static std::size_t SlotsFor(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;  // at most half full
        return capacity;
    }

    void Place(std::uint32_t hash, std::uint32_t position) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i].position != kEmpty)
            i = (i + 1) & mask;
        slots_[i] = Slot{hash, position};
    }

    void Rehash(std::size_t count) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(SlotsFor(std::max(count, count_)), Slot{});
        for (const Slot& slot : old) {
            if (slot.position != kEmpty)
                Place(slot.hash, slot.position);
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace tessel
