#include "posix/profile/PosixProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "posix/files/AtomicFile.h"
#include "posix/files/FileStamp.h"
#include "posix/files/ReadFile.h"
#include "posix/profile/ProfileDocument.h"
#include "posix/profile/ProfileFileCheck.h"
#include "settings/NameIndex.h"
#include "settings/ProfileList.h"
#include "settings/SectionEntries.h"
#include "text/TextCase.h"

namespace tessel {

// What the read operations hand out, built once per version of a file.
struct CachedSections {
    FileStamp stamp;
    ProfileFailure problem;             // why the file cannot be used as it is, or none
    std::string bytes;                  // the file as it was read
    std::string names;                  // each listed section name followed by a NUL
    std::vector<std::uint32_t> listed;  // the section of each listed name
    // What a read of each section returns, one after another, and where each section's part
    // begins: made at the first read of lines, which a whole load of packed sections never makes.
    mutable std::once_flag textsMade;
    mutable std::string texts;
    mutable std::vector<std::size_t> begins;
    // Each section's entries as a whole load keeps them (see SectionEntries::Packer), one after
    // another, and each section's part: where it begins and ends, and how many entries it holds;
    // none for a section that cannot be packed.
    struct Packed {
        std::size_t begin = 0, end = 0, count = 0;
        bool packed = false;
    };
    std::string packed;
    std::vector<Packed> parts;
    // The index of the names, built at the first read of a section by its name: a whole load
    // (ReadLoadedSections) needs none. Built under the file's mutex, and read by nothing else.
    mutable bool indexed = false;
    mutable std::string folded;  // each section's name, case-folded, one after another
    mutable std::vector<std::pair<std::uint32_t, std::uint32_t>> foldedSpans;  // each name's
    mutable NameIndex firstByName;            // folded name -> the first section of that name
    mutable std::vector<bool> isFirstOfName;  // whether firstByName leads to each section

    // What a read of the section returns, each line followed by a NUL.
    std::string_view Lines(std::uint32_t section) const {
        std::call_once(textsMade, [this] {
            // The lines before the first header form the section "", which is never listed.
            begins.push_back(0);
            texts = ProfileDocument::SectionTexts(
                bytes, [this](std::string_view, std::size_t at) { begins.push_back(at); });
        });
        const std::size_t end = section + 1 < begins.size() ? begins[section + 1] : texts.size();
        return std::string_view(texts).substr(begins[section], end - begins[section]);
    }

    std::string_view FoldedName(std::uint32_t section) const {
        const auto [begin, size] = foldedSpans[section];
        return std::string_view(folded).substr(begin, size);
    }
    auto KeyAt() const {
        return [this](std::uint32_t section) { return FoldedName(section); };
    }
    void AddFolded(std::string_view name) const {
        const std::size_t begin = folded.size();
        AppendFoldedName(name, folded);
        foldedSpans.emplace_back(static_cast<std::uint32_t>(begin),
                                 static_cast<std::uint32_t>(folded.size() - begin));
    }
    // Indexes every section's name; a section that is not listed has the empty name.
    void Index() const {
        indexed = true;
        const auto count = static_cast<std::uint32_t>(parts.size());
        std::size_t pos = 0;
        std::size_t next = 0;  // the next listed name
        for (std::uint32_t section = 0; section < count; ++section) {
            if (next < listed.size() && listed[next] == section) {
                const std::size_t end = names.find('\0', pos);
                AddFolded(std::string_view(names).substr(pos, end - pos));
                pos = end + 1;
                ++next;
            } else {
                AddFolded("");
            }
        }
        firstByName.Reserve(count);
        isFirstOfName.reserve(count);
        // A repeated name keeps pointing at its first section.
        for (std::uint32_t section = 0; section < count; ++section)
            isFirstOfName.push_back(firstByName.Insert(FoldedName(section), section, KeyAt()));
    }

    // The section a read of name gives, trying guess first: a load reads the sections in file
    // order, and comparing the next one's name spares a hash lookup (a cache miss in a large
    // file) per section.
    std::optional<std::uint32_t> SectionNamed(std::string_view name, std::uint32_t guess) const {
        if (!indexed)
            Index();
        const std::string key = FoldNameCase(name);
        if (guess < isFirstOfName.size() && isFirstOfName[guess] && FoldedName(guess) == key)
            return guess;
        return firstByName.Find(key, KeyAt());
    }
};

namespace {

// A board list is a few kilobytes; anything far larger is not one, and reading it whole would
// only cost memory.
constexpr std::int64_t kMaxFileSize = 64 * 1024 * 1024;

// Files a program works with at once; more only happens when it is pointed at many in turn.
constexpr std::size_t kMaxCachedFiles = 8;

std::shared_ptr<CachedSections> MakeSections(std::string bytes) {
    // The file is taken apart once, and each section packed as it is read: a whole load then
    // shares the packed entries instead of taking every line apart again.
    class Reader : public ProfileDocument::SectionReader {
      public:
        explicit Reader(CachedSections& sections)
            : sections_(sections), packer_(sections.packed, 0) {}

        void Header(std::string_view name, std::size_t) override {
            EndSection();
            if (!name.empty()) {
                sections_.listed.push_back(static_cast<std::uint32_t>(sections_.parts.size()));
                sections_.names += name;
                sections_.names += '\0';
            }
        }
        void Text(std::string_view text, std::size_t keySize) override {
            if (packable_ && !packer_.Add(text, keySize))
                packable_ = false;
        }
        // Ends the section read last; with last, the whole file.
        void EndSection(bool last = false) {
            const std::size_t end = packable_ ? packer_.End() : packer_.Begin();
            sections_.parts.push_back({packer_.Begin(), end, packer_.Count(), packable_});
            packer_ = SectionEntries::Packer(sections_.packed, end);
            packable_ = true;
            if (last)
                sections_.packed.resize(end);
        }

      private:
        CachedSections& sections_;
        SectionEntries::Packer packer_;
        bool packable_ = true;
    };
    auto sections = std::make_shared<CachedSections>();
    sections->bytes = std::move(bytes);
    sections->packed.reserve(sections->bytes.size() + sections->bytes.size() / 4);
    // The lines before the first header form the section "", which is never listed: the first
    // part is theirs.
    Reader reader(*sections);
    ProfileDocument::ScanSections(sections->bytes, reader);
    reader.EndSection(true);
    return sections;
}

ProfileFailure Unusable(ProfileProblem problem, std::error_code error) {
    ProfileFailure failure(problem);
    failure.error = error;
    return failure;
}

// Whether a line written into a section is read back as a line of that section: a line break
// would add lines, a "[...]" line would start a section of its own (and a repeated name makes the
// whole file fail to load), and a blank or ";" line is not read at all.
bool ReadsBackAsALine(std::string_view line) {
    if (line.find_first_of("\r\n") != std::string_view::npos)
        return false;
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == ';')
        return false;
    return !(line[first] == '[' && line.find(']', first) != std::string_view::npos);
}

// A section name that a header line gives back as written: no line break, no spaces or tabs at
// either end (they are trimmed from headers), no "]" (the header would end early).
bool IsSectionName(std::string_view name) {
    if (name.find_first_of(std::string_view("\r\n]\0", 4)) != std::string_view::npos)
        return false;
    return name.empty() || (name.front() != ' ' && name.front() != '\t' && name.back() != ' ' &&
                            name.back() != '\t');
}

// The lines of a block: each followed by a NUL, the block ended by an empty line. Empty when a
// line holds a line break, which would slip extra lines into the file.
std::optional<std::vector<std::string>> SplitBlock(std::string_view block) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < block.size()) {
        std::size_t end = block.find('\0', pos);
        if (end == std::string_view::npos)
            end = block.size();
        if (end == pos)
            break;
        const std::string_view line = block.substr(pos, end - pos);
        if (!ReadsBackAsALine(line))
            return std::nullopt;
        lines.emplace_back(line);
        pos = end + 1;
    }
    return lines;
}

}  // namespace

PosixProfileFile::PosixProfileFile() = default;
PosixProfileFile::~PosixProfileFile() = default;

const CachedSections* PosixProfileFile::Load(const std::string& fileName) {
    const CachedSections* sections = LoadSections(fileName);
    if (sections)
        SetLastFailure(sections->problem);
    return sections;
}

void PosixProfileFile::BeginSnapshot() {
    std::lock_guard lock(mutex_);
    if (snapshots_++ == 0)
        checkedName_.clear();  // the first read of a snapshot checks its file
}

void PosixProfileFile::EndSnapshot() {
    std::lock_guard lock(mutex_);
    --snapshots_;
}

const CachedSections* PosixProfileFile::LoadSections(const std::string& fileName) {
    if (snapshots_ > 0 && last_ && lastName_ == fileName && checkedName_ == fileName)
        return last_.get();
    const CachedSections* sections = CheckedSections(fileName);
    checkedName_ = snapshots_ > 0 && sections ? fileName : std::string();
    return sections;
}

const CachedSections* PosixProfileFile::CheckedSections(const std::string& fileName) {
    struct stat status {};
    if (stat(fileName.c_str(), &status) != 0) {
        Forget(fileName);
        if (errno == ENOENT)
            SetLastFailure({}, true);
        else
            SetLastFailure(Unusable(ProfileProblem::kUnreadable, {errno, std::generic_category()}));
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        Forget(fileName);
        SetLastFailure(S_ISDIR(status.st_mode) ? ProfileProblem::kFolder
                                               : ProfileProblem::kNotRegularFile);
        return nullptr;
    }
    const FileStamp now = FileStamp::Of(status);
    if (last_ && lastName_ == fileName && last_->stamp == now)
        return last_.get();
    if (const auto it = cache_.find(fileName); it != cache_.end() && it->second->stamp == now) {
        Remember(fileName, it->second);
        return last_.get();
    }

    std::string bytes;
    FileStamp stamp;
    if (const std::error_code error = ReadWholeFile(fileName, kMaxFileSize, &bytes, &stamp)) {
        Forget(fileName);
        ProfileFailure failure = Unusable(ProfileProblem::kUnreadable, error);
        if (error == std::errc::file_too_large) {
            failure = ProfileProblem::kTooLarge;
            failure.limit = kMaxFileSize >> 20;
        }
        SetLastFailure(std::move(failure));
        return nullptr;
    }
    ProfileFailure problem = ProfileFileProblem(bytes);
    std::shared_ptr<CachedSections> sections = MakeSections(std::move(bytes));
    sections->stamp = stamp;
    sections->problem = std::move(problem);
    if (cache_.size() >= kMaxCachedFiles && !cache_.contains(fileName))
        cache_.clear();
    cache_[fileName] = sections;
    Remember(fileName, sections);
    return last_.get();
}

void PosixProfileFile::Remember(const std::string& fileName,
                                std::shared_ptr<const CachedSections> sections) {
    lastName_ = fileName;
    last_ = std::move(sections);
}

void PosixProfileFile::Forget(const std::string& fileName) {
    cache_.erase(fileName);
    if (lastName_ == fileName)
        last_.reset();
}

std::uint32_t PosixProfileFile::GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                              const std::string& fileName) {
    std::lock_guard lock(mutex_);
    const CachedSections* sections = Load(fileName);
    return PlaceProfileList(sections ? std::string_view(sections->names) : std::string_view(),
                            buffer, size);
}

std::uint32_t PosixProfileFile::GetPrivateProfileSection(const std::string& section, char* buffer,
                                                         std::uint32_t size,
                                                         const std::string& fileName) {
    std::lock_guard lock(mutex_);
    const CachedSections* sections = Load(fileName);
    std::string_view lines;
    if (sections) {
        if (const std::optional<std::uint32_t> found =
                sections->SectionNamed(section, nextSection_)) {
            nextSection_ = *found + 1;
            lines = sections->Lines(*found);
        }
    }
    return PlaceProfileList(lines, buffer, size);
}

void PosixProfileFile::ReadLoadedSections(
    const std::string& fileName, std::string_view names,
    const std::function<void(const LoadedSection&, const std::shared_ptr<const void>&)>& section) {
    std::unique_lock lock(mutex_);
    // The sections stay alive while they are handed out without the lock held.
    const std::shared_ptr<const CachedSections> sections = Load(fileName) ? last_ : nullptr;
    lock.unlock();
    // A list of other names than the file's, as it is now, is read name by name.
    if (!sections || sections->names != names) {
        ProfileFile::ReadLoadedSections(fileName, names, section);
        return;
    }
    const std::shared_ptr<const void> keeper = sections;
    std::size_t pos = 0;
    for (const std::uint32_t at : sections->listed) {
        const std::size_t end = names.find('\0', pos);
        LoadedSection loaded;
        loaded.name = names.substr(pos, end - pos);
        const CachedSections::Packed& part = sections->parts[at];
        if (part.packed) {
            loaded.packed = true;
            loaded.entries =
                std::string_view(sections->packed).substr(part.begin, part.end - part.begin);
            loaded.count = part.count;
        } else {
            loaded.lines = sections->Lines(at);
        }
        section(loaded, keeper);
        pos = end + 1;
    }
}

bool PosixProfileFile::WritePrivateProfileSection(const std::string& section,
                                                  const std::string& block,
                                                  const std::string& fileName) {
    std::lock_guard lock(mutex_);
    const std::optional<std::vector<std::string>> lines = SplitBlock(block);
    if (!IsSectionName(section) || !lines) {
        SetLastFailure(ProfileProblem::kNotReadBack);
        return false;
    }
    std::string bytes;
    if (const std::error_code error = ReadWholeFile(fileName, kMaxFileSize, &bytes, nullptr);
        error && error != std::errc::no_such_file_or_directory) {
        SetLastFailure(Unusable(ProfileProblem::kUnreadable, error));
        return false;
    }
    const std::optional<std::string> updated =
        ProfileDocument(std::move(bytes)).WithSection(section, *lines);
    if (!updated) {
        SetLastFailure(ProfileProblem::kUnencodable);
        return false;
    }
    // The cached sections are of the old file whatever happens; the next read parses it anew.
    Forget(fileName);
    if (const std::error_code error = WriteFileAtomically(fileName, *updated)) {
        SetLastFailure(Unusable(ProfileProblem::kUnwritable, error));
        return false;
    }
    SetLastFailure();
    return true;
}

}  // namespace tessel
