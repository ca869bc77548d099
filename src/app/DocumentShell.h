#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessel {

// A request to open a document the way a double-click in the file manager would, in the form of
// the Windows shell's SHELLEXECUTEINFO (the fields the program sets; all others are zero).
struct ExecuteInfo {
    std::uint32_t cbSize = 0;
    std::uint32_t fMask = 0;
    std::uintptr_t hwnd = 0;
    std::string lpVerb;
    std::string lpFile;
    std::optional<std::string> lpParameters;  // none: null
    std::optional<std::string> lpDirectory;   // none: the started program inherits ours
    std::int32_t nShow = 0;
};

// The shell's own names; where the Windows headers already define them (as macros of the same
// values) they are used as they are.
#ifndef SEE_MASK_NOCLOSEPROCESS
inline constexpr std::uint32_t SEE_MASK_NOCLOSEPROCESS = 0x40;
#endif
#ifndef SEE_MASK_CONNECTNETDRV
inline constexpr std::uint32_t SEE_MASK_CONNECTNETDRV = 0x80;
#endif
#ifndef SEE_MASK_FLAG_NO_UI
inline constexpr std::uint32_t SEE_MASK_FLAG_NO_UI = 0x400;
#endif
#ifndef SW_SHOWDEFAULT
inline constexpr std::int32_t SW_SHOWDEFAULT = 10;
#endif
// The size of the 8-bit request structure on 32-bit Windows.
inline constexpr std::uint32_t kExecuteInfoSize = 60;

// The desktop's shell. Execute returns whether the shell accepted the request; it never waits for
// the program it starts and shows no message of its own.
class DocumentShell {
  public:
    virtual ~DocumentShell() = default;
    virtual std::uintptr_t GetDesktopWindow() = 0;
    virtual bool Execute(const ExecuteInfo& request) = 0;
};

}  // namespace tessel
