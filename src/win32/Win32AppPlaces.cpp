#include "win32/Win32AppPlaces.h"

#include <windows.h>

#include <filesystem>

#include "win32/WideText.h"

namespace tessel {

std::string Win32AppPlaces::Environment(const std::string& name) {
    const std::wstring wideName = win32::Widen(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
    return win32::Narrow(value);
}

bool Win32AppPlaces::Exists(const std::string& path) {
    return GetFileAttributesW(win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32AppPlaces::SampleBoardList() {
    return Exists(shippedBoardList_) ? shippedBoardList_ : std::string();
}

CookieFailure Win32AppPlaces::CopyToNewFile(const std::string& from, const std::string& to) {
    const std::filesystem::path target(win32::Widen(to));
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return MakeFailure(CookieProblem::kFileFailed, CookieDetails().Path(to).Error(error));
    // Fails rather than replaces a file that is there.
    if (!CopyFileW(win32::Widen(from).c_str(), target.c_str(), TRUE)) {
        return MakeFailure(CookieProblem::kFileFailed,
                           CookieDetails().Path(to).System(win32::ErrorText(GetLastError())));
    }
    return {};
}

}  // namespace tessel
