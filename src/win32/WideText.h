#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cookies/CookieFailure.h"

namespace tessel::win32 {

// UTF-8 inside the program, UTF-16 or the ANSI code page only at the Windows calls.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The text in the ANSI code page, or nullopt with why set when it holds a character the code
// page has no exact code for (a "?" would silently change what is written) or is not UTF-8.
std::optional<std::string> ToAnsi(std::string_view utf8, CookieFailure& why);
// The same with why in the window's words.
std::optional<std::string> ToAnsi(std::string_view utf8, std::string& reason);
std::string FromAnsi(std::string_view ansi);

// The system's one-line message for an error code (GetLastError), in UTF-8.
std::string ErrorText(unsigned long error);

}  // namespace tessel::win32
