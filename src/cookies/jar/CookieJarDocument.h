#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cookies/jar/CookieJarLine.h"

namespace tessel {

// The bytes of a cookies.txt jar as lines that can be looked up by domain and by cookie, and
// edited without disturbing the lines around them: a line that is not replaced or removed is
// written back byte for byte, whatever it holds.
//
// The file's bytes are held once; each line costs a fixed few words, and each domain (and each
// cookie of a domain a write asks about) one index entry, so memory stays proportional to the
// file however it is laid out.
class CookieJarDocument {
  public:
    using LineIndex = std::uint32_t;

    explicit CookieJarDocument(std::string bytes);

    // Whether the bytes hold a control character other than a tab or a line end, as a database
    // or any binary file does and a jar never does.
    bool HasControlBytes() const { return controlBytes_; }
    // The bytes the document was made from, which no edit changes.
    std::string_view Loaded() const { return base_; }
    std::size_t LineCount() const { return lines_.size(); }

    // The cookie on a line, nullopt for anything else (see ParseCookieJarLine).
    std::optional<CookieJarEntry> Cookie(LineIndex line) const;

    // The line's text without its line ending, and with it.
    std::string_view Text(LineIndex line) const;
    std::string_view Raw(LineIndex line) const { return Raw(lines_[line]); }
    // Where line (not removed) stands among the lines the document now writes, counting from 0.
    std::size_t Position(LineIndex line) const;
    // Whether the bytes written would end with a line feed (or be empty).
    bool EndsWithLineFeed() const;

    // The lines holding a cookie whose domain is domain (given in lower case, without a dot),
    // whether or not it reaches subdomains, in no particular order.
    std::vector<LineIndex> CookiesOf(std::string_view domain) const;

    // The lines holding the cookie called name for domain and path, first line first.
    std::vector<LineIndex> LinesWithKey(std::string_view domain, std::string_view path,
                                        std::string_view name);
    // The same for each of paths, appended to found, each path's lines first line first.
    void AppendLinesWithKey(std::string_view domain, const std::vector<std::string_view>& paths,
                            std::string_view name, std::vector<LineIndex>& found);

    // Edits. Replace keeps the line's place and its line ending, and its place in the indexes:
    // the new text holds the same cookie (domain, path and name). Appended lines go at the end,
    // after a line feed added to a last line that had none.
    void Replace(LineIndex line, std::string_view text);
    void Remove(LineIndex line);
    // entry is the cookie text holds, as ParseCookieJarLine reads it: the line is indexed
    // without being read again.
    LineIndex Append(std::string_view text, const CookieJarEntry& entry);

    bool Changed() const { return changed_; }
    void MarkChanged() { changed_ = true; }
    // The document was written: what it holds is the file's.
    void MarkStored() { changed_ = false; }
    // A number no other document or edit has had: what was read from the document still holds
    // while its revision is the same.
    std::uint64_t Revision() const { return revision_; }
    // The bytes the document writes, as runs of its own storage in order (valid until the next
    // edit), so that a large jar is written without being copied first; Serialize joins them.
    std::vector<std::string_view> Pieces() const;
    std::string Serialize() const;

  private:
    static constexpr LineIndex kNoLine = 0xFFFFFFFF;

    struct Line {
        std::size_t offset = 0;  // in base_, or in added_ when added is set
        std::size_t length = 0;  // with the line ending
        LineIndex nextSameDomain = kNoLine;
        LineIndex nextSameKey = kNoLine;
        bool added = false;
        bool removed = false;
    };

    // The first line of each chain, by the chain's hash: a table of its own, open addressing in
    // one array, as a jar of many domains adds an entry for nearly every line it loads. Two
    // hashes may share a chain (0 is kept as 1), which every walk checks anyway.
    class Heads {
      public:
        // The head for key, and whether it was just added with line.
        std::pair<LineIndex*, bool> TryEmplace(std::uint64_t key, LineIndex line);
        const LineIndex* Find(std::uint64_t key) const;
        bool Empty() const { return used_ == 0; }

      private:
        struct Slot {
            std::uint64_t key = 0;  // 0: empty
            LineIndex line = 0;
        };
        static std::uint64_t Stored(std::uint64_t key) { return key == 0 ? 1 : key; }
        void Grow();

        std::vector<Slot> slots_;
        std::size_t used_ = 0;
        // Kept rather than worked out from the slots on each look-up.
        std::size_t mask_ = 0;   // the slots' count less one
        std::size_t limit_ = 0;  // the keys the slots take before growing: at most half full
    };

    std::string_view Raw(const Line& line) const;   // with the line ending
    std::string_view Text(const Line& line) const;  // without the line feed
    void IndexLoadedLines();
    // entry is the cookie on line.
    void Index(LineIndex line, const CookieJarEntry& entry);
    // domainHash is the hash of entry's domain.
    void IndexKey(LineIndex line, const CookieJarEntry& entry, std::uint64_t domainHash);
    void IndexKeysOf(std::uint64_t domainHash);

    std::string base_;
    std::string added_;
    std::vector<Line> lines_;
    std::vector<LineIndex> removedLines_;  // in ascending order
    std::size_t baseLines_ = 0;
    std::string lineEnding_ = "\n";
    Heads domainHeads_;
    Heads keyHeads_;      // by domain and name, of the keyed domains only; reads never need it
    Heads keyedDomains_;  // the domains whose keys are indexed, by the hash of their chain
    std::vector<std::uint64_t> placedLines_;  // AppendLinesWithKey's, kept for its room
    bool changed_ = false;
    bool controlBytes_ = false;
    std::uint64_t revision_;
};

}  // namespace tessel
