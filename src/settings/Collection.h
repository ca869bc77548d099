#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/NameIndex.h"
#include "settings/RuntimeError.h"
#include "text/TextCase.h"

namespace tessel {

// An ordered list whose items may carry a string key. Items keep their order of addition and are
// numbered from 1. Keys are compared without regard to letter case; adding under a key already
// present fails with kErrKeyAlreadyExists, and looking up or removing an absent key or position
// fails with kErrInvalidArgument.
//
// A short list (a section's handful of keys) is searched linearly; a flat hash index is built
// only once a list grows long (the tens of thousands of sections of a large board list), so that
// both stay cheap to build.
template <typename T>
class Collection {
    struct Entry {
        T value;
        std::optional<std::string> folded;  // the key, case-folded; none for an item without key
    };

  public:
    Collection() = default;
    Collection(Collection&&) noexcept = default;
    Collection& operator=(Collection&&) noexcept = default;

    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }

    void Add(T item) { items_.push_back({std::move(item), std::nullopt}); }

    // Makes room for count items in all, so that adding them moves and rehashes nothing.
    void Reserve(std::size_t count) {
        items_.reserve(count);
        if (count > kIndexThreshold) {
            if (!indexed_)
                BuildIndex();
            index_.Reserve(count);
        }
    }

    void Add(T item, std::string_view key) {
        std::string folded = FoldNameCase(key);
        if (indexed_) {
            // Hashed once for the look-up and the addition.
            const std::uint32_t hash = NameIndex::Hash(folded);
            if (index_.FindHashed(folded, hash, KeyAt()))
                ThrowKeyExists();
            items_.push_back({std::move(item), std::move(folded)});
            index_.InsertAbsentHashed(hash, static_cast<std::uint32_t>(items_.size() - 1));
            return;
        }
        if (FindIndex(folded))
            ThrowKeyExists();
        Append(std::move(item), std::move(folded));
    }

    // Adds item under key at the end, first removing the item already under key, if any.
    void AddReplacing(T item, std::string_view key) {
        std::string folded = FoldNameCase(key);
        if (const auto at = FindIndex(folded))
            EraseAt(*at);
        Append(std::move(item), std::move(folded));
    }

    bool Contains(std::string_view key) const { return FindIndex(FoldNameCase(key)).has_value(); }

    // Position is 1-based.
    const T& Item(std::size_t position) const { return items_[CheckedIndex(position)].value; }
    T& Item(std::size_t position) { return items_[CheckedIndex(position)].value; }

    const T& Item(std::string_view key) const { return items_[IndexOf(key)].value; }
    T& Item(std::string_view key) { return items_[IndexOf(key)].value; }

    // The 1-based position of the item under key, if there is one; never throws. A caller that
    // walks the items in order passes the position it found last as guess: the item after it is
    // compared first, which spares a hash lookup (a cache miss in a long list) per step.
    std::optional<std::size_t> PositionOf(std::string_view key, std::size_t guess = 0) const {
        const std::string folded = FoldNameCase(key);
        if (guess < items_.size() && items_[guess].folded && *items_[guess].folded == folded)
            return guess + 1;
        const auto at = FindIndex(folded);
        return at ? std::optional<std::size_t>(*at + 1) : std::nullopt;
    }

    // Returns the item under key, or nullptr; never throws.
    const T* Find(std::string_view key) const {
        const auto at = FindIndex(FoldNameCase(key));
        return at ? &items_[*at].value : nullptr;
    }
    T* Find(std::string_view key) {
        const auto at = FindIndex(FoldNameCase(key));
        return at ? &items_[*at].value : nullptr;
    }

    void Remove(std::string_view key) { EraseAt(IndexOf(key)); }
    void Remove(std::size_t position) { EraseAt(CheckedIndex(position)); }

    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        const T& operator*() const { return it_->value; }
        const T* operator->() const { return &it_->value; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const const_iterator& other) const = default;

      private:
        friend class Collection;
        explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
        typename std::vector<Entry>::const_iterator it_;
    };

    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

  private:
    static constexpr std::size_t kIndexThreshold = 16;

    [[noreturn]] static void ThrowKeyExists() {
        throw RuntimeError(kErrKeyAlreadyExists,
                           "This key is already associated with an element of this collection");
    }

    std::optional<std::size_t> FindIndex(const std::string& folded) const {
        if (indexed_)
            return index_.Find(folded, KeyAt());
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].folded && *items_[i].folded == folded)
                return i;
        }
        return std::nullopt;
    }

    auto KeyAt() const {
        return [this](std::uint32_t at) -> std::string_view { return *items_[at].folded; };
    }

    void Append(T item, std::string folded) {
        items_.push_back({std::move(item), std::move(folded)});
        if (indexed_) {
            // Every caller has looked the key up already.
            index_.InsertAbsent(*items_.back().folded,
                                static_cast<std::uint32_t>(items_.size() - 1));
        } else if (items_.size() > kIndexThreshold) {
            BuildIndex();
        }
    }

    std::size_t CheckedIndex(std::size_t position) const {
        if (position < 1 || position > items_.size()) {
            throw RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument");
        }
        return position - 1;
    }

    std::size_t IndexOf(std::string_view key) const {
        const auto at = FindIndex(FoldNameCase(key));
        if (!at)
            throw RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument");
        return *at;
    }

    void BuildIndex() {
        indexed_ = true;
        index_.Rebuild(items_.size(), KeyAt(),
                       [this](std::uint32_t at) { return !items_[at].folded; });
    }

    void EraseAt(std::size_t index) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
        if (indexed_)
            BuildIndex();  // positions after the removed item have moved
    }

    std::vector<Entry> items_;
    bool indexed_ = false;
    NameIndex index_;
};

}  // namespace tessel
