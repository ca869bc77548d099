#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessel {

// The entries of one settings section, in order, packed into one buffer. An entry is the key
// name, a NUL and the value, or a whole line that has no "=" (no NUL). Its key is the text before
// its first NUL, or all of it, compared without regard to letter case; a section holds at most one
// entry per key.
//
// One buffer per section keeps a board list of tens of thousands of sections compact: a lookup
// walks a few adjacent bytes instead of chasing an allocation per entry. The sections of a whole
// load may share one buffer (see AppendDistinctLines and Share); a section copies its part out
// only when it changes.
class SectionEntries {
  public:
    // The key of an entry.
    static std::string_view KeyOf(std::string_view entry) {
        return entry.substr(0, entry.find('\0'));
    }

    std::size_t Count() const { return count_; }

    // The entry under key, if any. The view is valid until the entries change.
    std::optional<std::string_view> Find(std::string_view key) const;

    // What Data gives for key: the value of its entry, or the whole entry when it has no value.
    std::optional<std::string_view> FindValue(std::string_view key) const;

    // Appends entry at the end, first removing the entry that has the same key, if any.
    void AddReplacing(std::string_view entry);
    // The same for a section line as read from a file: "key=value", or a line without "=" that is
    // its own key.
    void AddLine(std::string_view line);

    // AddLine for each line of a section as read (each followed by a NUL), leaving out lines that
    // are empty or only spaces. AppendDistinctLines is the quicker way for a well-formed section.
    void AddLines(std::string_view lines);

    // Appends to packed the entries of the lines of a section as read (each followed by a NUL),
    // as AddLines would store them, and adds their number to count, when no two of its lines
    // could have the same key, as in a well-formed section; otherwise returns false and leaves
    // both as they were.
    static bool AppendDistinctLines(std::string& packed, std::string_view lines,
                                    std::size_t& count);
    // Makes these empty entries the count entries that AppendDistinctLines placed in
    // bytes->substr(begin, size).
    void Share(std::shared_ptr<const std::string> bytes, std::size_t begin, std::size_t size,
               std::size_t count);
    // The same for entries packed elsewhere (see Packer), valid as long as keeper is held.
    void Share(std::shared_ptr<const void> keeper, std::string_view bytes, std::size_t count);

    // Packs the lines of one section as AppendDistinctLines does, a line at a time, for a reader
    // that has taken the lines apart already and knows where each key ends.
    class Packer {
      public:
        // Writes into packed from begin on. The string's size may run ahead of what is written,
        // so that a line costs no more than copying it: the entries end at End(), where the
        // owner cuts the string at the last.
        Packer(std::string& packed, std::size_t begin)
            : packed_(&packed), begin_(begin), end_(begin) {}

        // Adds a section line whose key is its first keySize bytes: up to its first "=", or all
        // of it. False, leaving the line out, once the section cannot be packed: a key not all
        // ASCII, or one that may repeat an earlier one; nothing more may be added then.
        bool Add(std::string_view line, std::size_t keySize);

        std::size_t Begin() const { return begin_; }
        std::size_t End() const { return end_; }
        std::size_t Count() const { return added_; }

      private:
        std::string* packed_;
        std::size_t begin_;
        std::size_t end_;
        std::size_t added_ = 0;
        // Two keys all of ASCII are equal only with the same size and first and last letters:
        // one bit for each of those seen tells most keys that cannot have come before.
        std::uint64_t seen_ = 0;
    };

    // Removes the entry under key; returns whether there was one.
    bool Remove(std::string_view key);

    // Calls fn(entry) for each entry, in order.
    template <typename Fn>
    void ForEach(Fn fn) const {
        for (std::size_t at = 0; at < Bytes().size(); at = Next(at))
            fn(EntryAt(at));
    }

  private:
    // Each entry is stored as a header (its size and its key's size) followed by its bytes.
    struct Header {
        std::uint32_t size;
        std::uint32_t keySize : 31;
        // Two keys all of ASCII are equal only when their sizes are: most are told apart by that.
        std::uint32_t asciiKey : 1;
    };

    Header HeaderAt(std::size_t at) const {
        Header header;
        std::memcpy(&header, Bytes().data() + at, sizeof header);
        return header;
    }
    std::string_view EntryAt(std::size_t at) const {
        return Bytes().substr(at + sizeof(Header), HeaderAt(at).size);
    }
    std::size_t Next(std::size_t at) const { return at + sizeof(Header) + HeaderAt(at).size; }
    static bool IsAscii(std::string_view text);
    std::optional<std::size_t> OffsetOf(std::string_view key) const;
    void BuildIndex() const;
    // Adds text as a key, and the value after the first separator if there is one.
    void AddSplitAt(std::string_view text, char separator);
    void Add(std::string_view key, std::optional<std::string_view> value);
    // Whether entries of keys all of ASCII, packed, hold key, itself all ASCII.
    static bool HasAsciiKey(std::string_view packed, std::string_view key);
    // The entries' bytes: their own, or their part of a shared buffer.
    std::string_view Bytes() const { return shared_ ? borrowed_ : std::string_view(packed_); }
    // Takes the entries' bytes into their own buffer before they change.
    void Own();
    // Appends the header of an entry of size bytes under key, and then key; the key is not in
    // the entries.
    void AppendKey(std::size_t size, std::string_view key, bool ascii);

    // A section of a few keys is searched by walking it; past kIndexedFrom keys an index of the
    // folded keys keeps adding and finding a key constant-time, so a section of many keys loads in
    // linear time. A removal shifts the entries after it, so it drops the index, to be built anew.
    static constexpr std::size_t kIndexedFrom = 16;

    std::string packed_;
    std::shared_ptr<const void> shared_;  // what keeps borrowed_ alive, if anything
    std::string_view borrowed_;
    std::size_t count_ = 0;
    mutable std::size_t next_ = 0;  // where the entry after the one found last begins
    // folded key -> offset; null until built. Behind a pointer because most sections never build
    // one, and a board list holds tens of thousands of sections.
    mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> index_;
};

}  // namespace tessel
