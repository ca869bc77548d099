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

}  // namespace

std::uint32_t Win32ProfileFile::GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                                              const std::string& fileName) {
    std::string reason;
    const std::optional<std::string> file = win32::ToAnsi(fileName, reason);
    if (!file) {
        SetLastFailure(fileName + " を開けません: " + reason);
        return PlaceProfileList({}, buffer, size);
    }
    switch (StateOf(win32::Widen(fileName))) {
        case FileState::kMissing:
            SetLastFailure({}, true);
            return PlaceProfileList({}, buffer, size);
        case FileState::kFolder:
            SetLastFailure(fileName + " はフォルダです");
            return PlaceProfileList({}, buffer, size);
        case FileState::kFile:
            SetLastFailure({});
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
    std::string reason;
    const std::optional<std::string> file = win32::ToAnsi(fileName, reason);
    const std::optional<std::string> name = win32::ToAnsi(section, reason);
    if (!file || !name) {
        SetLastFailure(fileName + " を読めません: " + reason);
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
    std::string reason;
    const std::optional<std::string> file = win32::ToAnsi(fileName, reason);
    const std::optional<std::string> name = file ? win32::ToAnsi(section, reason) : std::nullopt;
    const std::optional<std::string> lines = name ? win32::ToAnsi(block, reason) : std::nullopt;
    if (!lines) {
        SetLastFailure(fileName + " に書けません: " + reason);
        return false;
    }
    if (!WritePrivateProfileSectionA(name->c_str(), lines->c_str(), file->c_str())) {
        SetLastFailure(fileName + " に書けません: " + win32::ErrorText(GetLastError()));
        return false;
    }
    SetLastFailure({});
    return true;
}

}  // namespace tessel
