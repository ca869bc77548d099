#include "win32/ShellExecuteShell.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <optional>

#include "win32/WideText.h"

namespace tessel {
namespace {

// The request's text in the ANSI code page; false when it holds a character the code page cannot
// carry, which the shell would then look for under another name.
bool Convert(const std::optional<std::string>& text, std::optional<std::string>& ansi) {
    if (!text)
        return true;
    std::string reason;
    ansi = win32::ToAnsi(*text, reason);
    return ansi.has_value();
}

const char* Pointer(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

}  // namespace

std::uintptr_t ShellExecuteShell::GetDesktopWindow() {
    return reinterpret_cast<std::uintptr_t>(::GetDesktopWindow());
}

bool ShellExecuteShell::Execute(const ExecuteInfo& request) {
    std::optional<std::string> verb, file, parameters, directory;
    if (!Convert(request.lpVerb, verb) || !Convert(request.lpFile, file) ||
        !Convert(request.lpParameters, parameters) || !Convert(request.lpDirectory, directory)) {
        return false;
    }
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = request.fMask;
    info.hwnd = reinterpret_cast<HWND>(request.hwnd);
    info.lpVerb = Pointer(verb);
    info.lpFile = Pointer(file);
    info.lpParameters = Pointer(parameters);
    info.lpDirectory = Pointer(directory);
    info.nShow = request.nShow;
    const bool accepted = ShellExecuteExA(&info) != FALSE;
    // The program never waits for what it starts.
    if (accepted && info.hProcess != nullptr)
        CloseHandle(info.hProcess);
    return accepted;
}

}  // namespace tessel
