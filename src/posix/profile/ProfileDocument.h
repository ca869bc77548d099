#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "posix/charset/CodePage.h"

namespace tessel {

// One line of a profile file, as read and as placed in the file's bytes.
struct ProfileLine {
    enum class Kind {
        kBlank,    // nothing but spaces and tabs (or nothing before a NUL)
        kComment,  // begins with ';'; not part of what a section read returns
        kHeader,   // "[name]"; text is the name
        kText,     // anything else; text is what a section read returns for it
    };

    std::size_t begin = 0;  // offset of the line's first byte
    std::size_t end = 0;    // offset just past its line end, or the end of the file
    bool terminated = false;
    Kind kind = Kind::kBlank;
    // The UTF-8 text, as a place in the document's text buffer (see ProfileDocument::Text): one
    // buffer for all lines keeps a large file from costing an allocation per line.
    std::size_t textOffset = 0;
    std::size_t textSize = 0;
};

// A profile file's bytes taken apart into lines the way the Windows profile functions read them,
// keeping every line's place so that one section can be replaced with all other bytes untouched.
class ProfileDocument {
  public:
    // bytes is the whole file; empty for a file that does not exist yet.
    explicit ProfileDocument(std::string bytes);

    const std::vector<ProfileLine>& Lines() const { return lines_; }
    // The header name of a header line, or what a section read returns for a text line.
    std::string_view Text(const ProfileLine& line) const {
        return std::string_view(texts_).substr(line.textOffset, line.textSize);
    }

    // What section reads return for every line of a whole file: each text line's text followed
    // by a NUL, in file order. header(name, at) is called for each header line, in order, with
    // its name and the size of the result so far, where its section's texts begin; the lines
    // before the first header begin at 0. Every line is classified once, here, so that reading a
    // section costs no more than handing out its part.
    static std::string SectionTexts(
        std::string_view bytes, const std::function<void(std::string_view, std::size_t)>& header);

    // What SectionTexts tells as it goes: each header, and each text line as it is added.
    class SectionReader {
      public:
        virtual ~SectionReader() = default;
        // A header line's name, and the size of the texts so far.
        virtual void Header(std::string_view name, std::size_t at) = 0;
        // A text line's text; its key is its first keySize bytes (up to its first "=", or all).
        virtual void Text(std::string_view text, std::size_t keySize) = 0;
    };
    static std::string SectionTexts(std::string_view bytes, SectionReader& reader);
    // The same telling without the texts; each header's at is then 0.
    static void ScanSections(std::string_view bytes, SectionReader& reader);

  private:
    // SectionTexts, writing the texts only when keepTexts.
    static std::string Scan(std::string_view bytes, SectionReader& reader, bool keepTexts);

  public:
    // The file's bytes with the lines of the first section named section (without regard to
    // letter case; "" is the part before the first header) replaced by lines, or with the section
    // appended when there is none. Empty when a line cannot be written in the file's encoding or
    // the result would not read back as written.
    std::optional<std::string> WithSection(std::string_view section,
                                           const std::vector<std::string>& lines) const;

  private:
    void Split();

    std::string bytes_;
    DetectedEncoding detected_;
    std::string lineEnd_;  // the file's first line end, in the file's encoding
    std::vector<ProfileLine> lines_;
    std::string texts_;  // every line's text, one after another
};

}  // namespace tessel
