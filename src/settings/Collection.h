#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "settings/RuntimeError.h"
#include "settings/TextCase.h"

namespace tessel {

// An ordered list whose items may carry a string key. Items keep their order of addition and are
// numbered from 1. Keys are compared without regard to letter case; adding under a key already
// present fails with kErrKeyAlreadyExists, and looking up or removing an absent key or position
// fails with kErrInvalidArgument.
//
// Lookups by key are hashed, so a list of tens of thousands of sections stays linear to build.
// Removal shifts the later items, which is cheap for the short lists it is used on.
template <typename T>
class Collection {
    struct Entry {
        T value;
        std::optional<std::string> key;
    };

  public:
    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }

    void Add(T item) { items_.push_back({std::move(item), std::nullopt}); }

    void Add(T item, std::string_view key) {
        std::string folded = FoldCase(key);
        if (index_.count(folded) != 0) {
            throw RuntimeError(kErrKeyAlreadyExists,
                               "This key is already associated with an element of this collection");
        }
        index_.emplace(std::move(folded), items_.size());
        items_.push_back({std::move(item), std::string(key)});
    }

    bool Contains(std::string_view key) const { return index_.count(FoldCase(key)) != 0; }

    // Position is 1-based.
    const T& Item(std::size_t position) const { return items_.at(CheckedIndex(position)).value; }
    T& Item(std::size_t position) { return items_.at(CheckedIndex(position)).value; }

    const T& Item(std::string_view key) const { return items_[IndexOf(key)].value; }
    T& Item(std::string_view key) { return items_[IndexOf(key)].value; }

    // Returns the item under key, or nullptr; never throws.
    const T* Find(std::string_view key) const {
        auto it = index_.find(FoldCase(key));
        return it == index_.end() ? nullptr : &items_[it->second].value;
    }
    T* Find(std::string_view key) {
        auto it = index_.find(FoldCase(key));
        return it == index_.end() ? nullptr : &items_[it->second].value;
    }

    void Remove(std::string_view key) { EraseAt(IndexOf(key)); }
    void Remove(std::size_t position) { EraseAt(CheckedIndex(position)); }

    void Clear() {
        items_.clear();
        index_.clear();
    }

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
    std::size_t CheckedIndex(std::size_t position) const {
        if (position < 1 || position > items_.size()) {
            throw RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument");
        }
        return position - 1;
    }

    std::size_t IndexOf(std::string_view key) const {
        auto it = index_.find(FoldCase(key));
        if (it == index_.end())
            throw RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument");
        return it->second;
    }

    void EraseAt(std::size_t index) {
        if (items_[index].key)
            index_.erase(FoldCase(*items_[index].key));
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
        for (auto& [folded, at] : index_) {
            if (at > index)
                --at;
        }
    }

    std::vector<Entry> items_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace tessel
