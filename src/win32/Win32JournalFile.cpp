#include "win32/Win32JournalFile.h"

#include <windows.h>

#include <cwchar>

#include "win32/WideText.h"

namespace tessel {
namespace {

constexpr wchar_t kPrefix[] = L"batch-";
constexpr std::size_t kPrefixLength = sizeof kPrefix / sizeof kPrefix[0] - 1;
CookieFailure NoFolder() {
    return MakeFailure(CookieProblem::kNoJournalPlace, CookieDetails().Name("LOCALAPPDATA"));
}

CookieFailure Failed(unsigned long code) {
    return MakeFailure(CookieProblem::kFileFailed, CookieDetails().System(win32::ErrorText(code)));
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

// The batch's number from its file's name; false for any other file (a temporary, say).
bool NumberOf(const wchar_t* name, std::uint64_t& number) {
    if (std::wcsncmp(name, kPrefix, kPrefixLength) != 0 || name[kPrefixLength] == L'\0')
        return false;
    number = 0;
    for (const wchar_t* digit = name + kPrefixLength; *digit != L'\0'; ++digit) {
        if (*digit < L'0' || *digit > L'9' || number > (UINT64_MAX - 9) / 10)
            return false;
        number = number * 10 + static_cast<std::uint64_t>(*digit - L'0');
    }
    return true;
}

bool MakeFolder(const std::wstring& folder) {
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

Win32JournalFile::Win32JournalFile() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        folder_ = std::wstring(buffer, length) + L"\\TesselCustom\\undo";
}

std::string Win32JournalFile::Where() const {
    return win32::Narrow(folder_);
}

std::wstring Win32JournalFile::PathOf(std::uint64_t number) const {
    return folder_ + L'\\' + kPrefix + std::to_wstring(number);
}

bool Win32JournalFile::Prepare(CookieFailure& error) {
    if (folder_.empty()) {
        error = NoFolder();
        return false;
    }
    if (!MakeFolder(folder_.substr(0, folder_.rfind(L'\\'))) || !MakeFolder(folder_)) {
        error = Failed(GetLastError());
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint64_t>> Win32JournalFile::Numbers(CookieFailure& error) {
    if (folder_.empty()) {
        error = NoFolder();
        return std::nullopt;
    }
    std::vector<std::uint64_t> numbers;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return numbers;
        error = Failed(code);
        return std::nullopt;
    }
    do {
        std::uint64_t number = 0;
        if (NumberOf(found.cFileName, number))
            numbers.push_back(number);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return numbers;
}

std::optional<std::string> Win32JournalFile::Read(std::uint64_t number, CookieFailure& error) {
    Handle file(CreateFileW(PathOf(number).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        error = Failed(GetLastError());
        return std::nullopt;
    }
    std::string text;
    char chunk[65536];
    for (DWORD got = 0;; text.append(chunk, got)) {
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) {
            error = Failed(GetLastError());
            return std::nullopt;
        }
        if (got == 0)
            return text;
    }
}

bool Win32JournalFile::Add(std::uint64_t number, const std::string& text, CookieFailure& error) {
    const std::wstring target = PathOf(number);
    const std::wstring temporary = target + L".tmp";
    bool written = false;
    {
        Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Get() == INVALID_HANDLE_VALUE) {
            error = Failed(GetLastError());
            return false;
        }
        DWORD put = 0;
        written =
            WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) &&
            put == text.size() && FlushFileBuffers(file.Get());
        if (!written)
            error = Failed(GetLastError());
    }
    // Never over a batch already there: another writer's batch of the same number stays.
    if (written && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        error = Failed(GetLastError());
        written = false;
    }
    if (!written)
        DeleteFileW(temporary.c_str());
    return written;
}

bool Win32JournalFile::Remove(std::uint64_t number, CookieFailure& error) {
    if (DeleteFileW(PathOf(number).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return true;
    error = Failed(GetLastError());
    return false;
}

}  // namespace tessel
