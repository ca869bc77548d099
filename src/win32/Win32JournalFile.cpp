#include "win32/Win32JournalFile.h"

#include <windows.h>

#include "win32/WideText.h"

namespace tessel {
namespace {

constexpr wchar_t kName[] = L"\\undo-journal";
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

}  // namespace

Win32JournalFile::Win32JournalFile() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        folder_ = std::wstring(buffer, length) + L"\\TesselCustom";
}

std::string Win32JournalFile::Where() const {
    return win32::Narrow(folder_ + kName);
}

std::optional<std::string> Win32JournalFile::Read(CookieFailure& error) {
    if (folder_.empty()) {
        error = NoFolder();
        return std::nullopt;
    }
    Handle file(CreateFileW((folder_ + kName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return std::string();
        error = Failed(code);
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

bool Win32JournalFile::Replace(const std::string& text, CookieFailure& error) {
    if (folder_.empty()) {
        error = NoFolder();
        return false;
    }
    if (!CreateDirectoryW(folder_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = Failed(GetLastError());
        return false;
    }
    const std::wstring target = folder_ + kName;
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
    if (written && !MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = Failed(GetLastError());
        written = false;
    }
    if (!written)
        DeleteFileW(temporary.c_str());
    return written;
}

}  // namespace tessel
