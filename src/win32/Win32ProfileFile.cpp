#include "win32/Win32ProfileFile.h"

#include <windows.h>
// The interface's names are the ones windows.h maps onto the A and W functions.
#undef GetPrivateProfileSectionNames
#undef GetPrivateProfileSection
#undef WritePrivateProfileSection

#include <functional>
#include <optional>
#include <string_view>

#include "settings/ProfileList.h"
#include "win32/WideText.h"

namespace tessel {
namespace {

// Reads a whole NUL-separated list from kernel32, growing the buffer while the answer says it was
// cut. Under wine a buffer that fits exactly also answers size - 2, and a cut name list need not
// end with two NULs, so the result alone decides.
std::string ReadList(const std::function<DWORD(char*, DWORD)>& read) {
    std::string buffer(4096, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD result = read(buffer.data(), size);
        if (result + 2 != size || size >= (1u << 30)) {
            buffer.resize(result);
            break;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
    // Each item (the last one included) ends with a NUL.
    if (!buffer.empty() && buffer.back() != '\0')
        buffer += '\0';
    return buffer;
}

std::string ListFromAnsi(std::string_view list) {
    std::string utf8;
    utf8.reserve(list.size() * 3 / 2);
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t end = list.find('\0', pos);
        utf8 += win32::FromAnsi(list.substr(pos, end - pos));
        utf8 += '\0';
        pos = end + 1;
    }
    return utf8;
}

enum class FileState { kFile, kMissing, kFolder };

FileState StateOf(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileState::kMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileState::kFolder : FileState::kFile;
}

// The text in the ANSI code page, or nullopt with why naming the character it cannot carry.
std::optional<std::string> ToAnsi(std::string_view utf8, ProfileFailure& why) {
    CookieFailure failure;
    std::optional<std::string> ansi = win32::ToAnsi(utf8, failure);
    if (!ansi) {
        why = failure.problem == CookieProblem::kNotInCodePage ? ProfileProblem::kNotInCodePage
                                                               : ProfileProblem::kNotUtf8Text;
        why.character = failure.details.character;
        why.number = failure.details.number;
    }
    return ansi;
}

// problem with fileName, under what lay beneath it (a character or the system's words).
ProfileFailure Named(ProfileProblem problem, const std::string& fileName, ProfileFailure cause) {
    cause.cause = cause.problem;
    cause.problem = problem;
    cause.path = fileName;
    return cause;
}

}  // namespace

std::uint32_t Win32ProfileFile::GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                              const std::string& fileName) {
    ProfileFailure why;
    const std::optional<std::string> file = ToAnsi(fileName, why);
    if (!file) {
        SetLastFailure(Named(ProfileProblem::kCannotOpen, fileName, std::move(why)));
        return PlaceProfileList({}, buffer, size);
    }
    switch (StateOf(win32::Widen(fileName))) {
        case FileState::kMissing:
            SetLastFailure({}, true);
            return PlaceProfileList({}, buffer, size);
        case FileState::kFolder:
            SetLastFailure(Named(ProfileProblem::kNamedFolder, fileName, {}));
            return PlaceProfileList({}, buffer, size);
        case FileState::kFile:
            SetLastFailure();
            break;
    }
    const std::string names = ReadList([&](char* out, DWORD outSize) {
        return GetPrivateProfileSectionNamesA(out, outSize, file->c_str());
    });
    return PlaceProfileList(ListFromAnsi(names), buffer, size);
}

std::uint32_t Win32ProfileFile::GetPrivateProfileSection(const std::string& section, char* buffer,
                                                         std::uint32_t size,
                                                         const std::string& fileName) {
    ProfileFailure why;
    const std::optional<std::string> file = ToAnsi(fileName, why);
    const std::optional<std::string> name = ToAnsi(section, why);
    if (!file || !name) {
        SetLastFailure(Named(ProfileProblem::kCannotRead, fileName, std::move(why)));
        return PlaceProfileList({}, buffer, size);
    }
    SetLastFailure({}, StateOf(win32::Widen(fileName)) == FileState::kMissing);
    const std::string lines = ReadList([&](char* out, DWORD outSize) {
        return GetPrivateProfileSectionA(name->c_str(), out, outSize, file->c_str());
    });
    return PlaceProfileList(ListFromAnsi(lines), buffer, size);
}

bool Win32ProfileFile::WritePrivateProfileSection(const std::string& section,
                                                  const std::string& block,
                                                  const std::string& fileName) {
    ProfileFailure why;
    const std::optional<std::string> file = ToAnsi(fileName, why);
    const std::optional<std::string> name = file ? ToAnsi(section, why) : std::nullopt;
    const std::optional<std::string> lines = name ? ToAnsi(block, why) : std::nullopt;
    if (!lines) {
        SetLastFailure(Named(ProfileProblem::kCannotWrite, fileName, std::move(why)));
        return false;
    }
    if (!WritePrivateProfileSectionA(name->c_str(), lines->c_str(), file->c_str())) {
        ProfileFailure system;
        system.system = win32::ErrorText(GetLastError());
        SetLastFailure(Named(ProfileProblem::kCannotWrite, fileName, std::move(system)));
        return false;
    }
    SetLastFailure();
    return true;
}

}  // namespace tessel
