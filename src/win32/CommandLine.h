#pragma once

#include <string>
#include <vector>

namespace tessel::win32 {

// The process's arguments from CommandLineToArgvW, in UTF-8; the first is the program.
std::vector<std::string> CommandLineArguments();

}  // namespace tessel::win32
