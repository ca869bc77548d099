#include "win32/ModuleExecutable.h"

#include <windows.h>

#include <vector>

#include "win32/WideText.h"

namespace tessel {
namespace {

// "041104B0": Japanese, Unicode.
constexpr const wchar_t* kStringBlock = L"\\StringFileInfo\\041104B0\\";

std::wstring StringValue(const std::vector<char>& data, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(kStringBlock) + name;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr) {
        return {};
    }
    std::wstring text(value, length);
    if (const std::size_t nul = text.find(L'\0'); nul != std::wstring::npos)
        text.resize(nul);
    return text;
}

}  // namespace

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleExecutable::ExePath() {
    return exePath_.empty() ? ModulePath() : win32::Widen(exePath_);
}

std::string ModuleExecutable::Directory() {
    const std::wstring path = ExePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return ".";
    // A drive's root keeps its separator: "C:\".
    const bool root = slash == 2 && path[1] == L':';
    return win32::Narrow(path.substr(0, root ? slash + 1 : slash));
}

std::string ModuleExecutable::BaseName() {
    std::wstring name = ExePath();
    if (const std::size_t slash = name.find_last_of(L"\\/"); slash != std::wstring::npos)
        name.erase(0, slash + 1);
    if (const std::size_t dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0)
        name.resize(dot);
    return win32::Narrow(name);
}

VersionResource ModuleExecutable::Version() {
    const std::wstring path = ModulePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return {};
    VersionResource version;
    version.productName = win32::Narrow(StringValue(data, L"ProductName"));
    version.legalCopyright = win32::Narrow(StringValue(data, L"LegalCopyright"));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        fixed != nullptr) {
        version.major = HIWORD(fixed->dwFileVersionMS);
        version.minor = LOWORD(fixed->dwFileVersionMS);
        version.revision = LOWORD(fixed->dwFileVersionLS);
    }
    return version;
}

}  // namespace tessel
