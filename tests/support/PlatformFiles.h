#pragma once

// The platform's real profile files and executable identity, for tests that run start-up against
// them on either system.
#include <string>

#ifdef _WIN32
#include "win32/ModuleExecutable.h"
#include "win32/WideText.h"
#include "win32/Win32ProfileFile.h"
#else
#include "posix/desktop/ProcExecutable.h"
#include "posix/profile/PosixProfileFile.h"
#endif

namespace tessel::testing {

#ifdef _WIN32
using PlatformProfileFile = Win32ProfileFile;
using PlatformExecutable = ModuleExecutable;
#else
using PlatformProfileFile = PosixProfileFile;
using PlatformExecutable = ProcExecutable;
#endif

// A board list's text as the platform's profile functions expect it: the ANSI code page on Windows
// (kernel32 reads a file without byte-order mark in it), UTF-8 on Linux.
inline std::string InBoardListEncoding(const std::string& utf8) {
#ifdef _WIN32
    std::string reason;
    return win32::ToAnsi(utf8, reason).value_or(utf8);
#else
    return utf8;
#endif
}

}  // namespace tessel::testing
