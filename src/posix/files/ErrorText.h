#pragma once

#include <string>
#include <system_error>

namespace tessel {

// What went wrong with a file, in a few words of Japanese for a reason line ("権限がありません").
// Errors a reader meets with files are named in Japanese; any other falls back to the system's
// own text.
std::string ErrorText(std::error_code error);

}  // namespace tessel
