#include "posix/PosixProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "posix/AtomicFile.h"
#include "posix/FileStamp.h"
#include "posix/ProfileDocument.h"
#include "settings/NameIndex.h"
#include "settings/TextCase.h"

namespace tessel {

// What the read operations hand out, built once per version of a file.
struct CachedSections {
    FileStamp stamp;
    std::string names;  // each listed section name followed by a NUL
    std::string lines;  // every section's lines, each followed by a NUL, section after section
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // each section's part of lines
    std::string folded;  // each section's name, case-folded, one after another
    std::vector<std::pair<std::uint32_t, std::uint32_t>> foldedSpans;  // each name's part of it
    NameIndex firstByName;  // folded name -> the first section of that name

    std::string_view FoldedName(std::uint32_t section) const {
        const auto [begin, size] = foldedSpans[section];
        return std::string_view(folded).substr(begin, size);
    }
    auto KeyAt() const {
        return [this](std::uint32_t section) { return FoldedName(section); };
    }
    void AddSection(std::string_view name) {
        foldedSpans.emplace_back(static_cast<std::uint32_t>(folded.size()),
                                 static_cast<std::uint32_t>(name.size()));
        for (char c : name)
            folded += FoldChar(c);
        // A repeated name keeps pointing at its first section.
        firstByName.Insert(FoldedName(static_cast<std::uint32_t>(spans.size() - 1)),
                           static_cast<std::uint32_t>(spans.size() - 1), KeyAt());
    }
};

namespace {

// A board list is a few kilobytes; anything far larger is not one, and reading it whole would
// only cost memory.
constexpr std::int64_t kMaxFileSize = 64 * 1024 * 1024;

// Files a program works with at once; more only happens when it is pointed at many in turn.
constexpr std::size_t kMaxCachedFiles = 8;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code ReadWholeFile(const std::string& path, std::string* bytes, FileStamp* stamp) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return LastError();
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    struct stat status {};
    if (fstat(fd, &status) != 0)
        return LastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(status.st_mode))
        return std::make_error_code(std::errc::invalid_argument);
    if (status.st_size > kMaxFileSize)
        return std::make_error_code(std::errc::file_too_large);
    if (stamp != nullptr)
        *stamp = FileStamp::Of(status);

    // Read straight into the result: the size is known, and a file that grows meanwhile is read
    // on in chunks.
    bytes->resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes->size())
            bytes->resize(filled + 65536);
        const ssize_t got = read(fd, bytes->data() + filled, bytes->size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        if (got == 0) {
            bytes->resize(filled);
            return {};
        }
        filled += static_cast<std::size_t>(got);
        if (static_cast<std::int64_t>(filled) > kMaxFileSize) {
            return std::make_error_code(std::errc::file_too_large);
        }
    }
}

// Places a NUL-separated list (each item followed by a NUL) in buffer the way the Windows profile
// functions do: the list and one more NUL when that fits; otherwise as much as fits with the
// buffer ending in two NULs, and size - 2 as the result.
std::uint32_t PlaceList(std::string_view list, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    if (list.size() < size) {
        list.copy(buffer, list.size());
        buffer[list.size()] = '\0';
        if (list.empty() && size >= 2)
            buffer[1] = '\0';
        return static_cast<std::uint32_t>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    list.copy(buffer, size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

std::shared_ptr<CachedSections> MakeSections(std::string_view bytes) {
    auto sections = std::make_shared<CachedSections>();
    sections->lines.reserve(bytes.size());
    // The lines before the first header form the section "", which is never listed.
    sections->spans.emplace_back(0, 0);
    sections->AddSection("");
    ProfileDocument::ForEachLine(bytes, [&](ProfileLine::Kind kind, std::string_view text) {
        if (kind == ProfileLine::Kind::kHeader) {
            const std::size_t at = sections->lines.size();
            sections->spans.back().second = at;
            sections->spans.emplace_back(at, at);
            sections->AddSection(text);
            if (!text.empty()) {
                sections->names += text;
                sections->names += '\0';
            }
        } else if (kind == ProfileLine::Kind::kText) {
            sections->lines += text;
            sections->lines += '\0';
        }
    });
    sections->spans.back().second = sections->lines.size();
    return sections;
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
        if (line.find_first_of("\r\n") != std::string_view::npos)
            return std::nullopt;
        lines.emplace_back(line);
        pos = end + 1;
    }
    return lines;
}

}  // namespace

PosixProfileFile::PosixProfileFile() = default;
PosixProfileFile::~PosixProfileFile() = default;

std::shared_ptr<const CachedSections> PosixProfileFile::Load(const std::string& fileName) {
    struct stat status {};
    if (stat(fileName.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        cache_.erase(fileName);
        return nullptr;
    }
    if (const auto it = cache_.find(fileName);
        it != cache_.end() && it->second->stamp == FileStamp::Of(status)) {
        return it->second;
    }

    std::string bytes;
    FileStamp stamp;
    if (ReadWholeFile(fileName, &bytes, &stamp)) {
        cache_.erase(fileName);
        return nullptr;
    }
    std::shared_ptr<CachedSections> sections = MakeSections(bytes);
    sections->stamp = stamp;
    if (cache_.size() >= kMaxCachedFiles && !cache_.contains(fileName))
        cache_.clear();
    cache_[fileName] = sections;
    return sections;
}

std::uint32_t PosixProfileFile::GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                              const std::string& fileName) {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<const CachedSections> sections = Load(fileName);
    return PlaceList(sections ? std::string_view(sections->names) : std::string_view(), buffer,
                     size);
}

std::uint32_t PosixProfileFile::GetPrivateProfileSection(const std::string& section, char* buffer,
                                                         std::uint32_t size,
                                                         const std::string& fileName) {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<const CachedSections> sections = Load(fileName);
    std::string_view lines;
    if (sections) {
        if (const std::optional<std::uint32_t> found =
                sections->firstByName.Find(FoldCase(section), sections->KeyAt())) {
            const auto [begin, end] = sections->spans[*found];
            lines = std::string_view(sections->lines).substr(begin, end - begin);
        }
    }
    return PlaceList(lines, buffer, size);
}

bool PosixProfileFile::WritePrivateProfileSection(const std::string& section,
                                                  const std::string& block,
                                                  const std::string& fileName) {
    if (section.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return false;
    const std::optional<std::vector<std::string>> lines = SplitBlock(block);
    if (!lines)
        return false;

    std::lock_guard lock(mutex_);
    std::string bytes;
    if (const std::error_code error = ReadWholeFile(fileName, &bytes, nullptr);
        error && error != std::errc::no_such_file_or_directory) {
        return false;
    }
    const std::optional<std::string> updated =
        ProfileDocument(std::move(bytes)).WithSection(section, *lines);
    if (!updated)
        return false;
    // The cached sections are of the old file whatever happens; the next read parses it anew.
    cache_.erase(fileName);
    return !WriteFileAtomically(fileName, *updated);
}

}  // namespace tessel
