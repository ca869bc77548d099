#include "win32/CommandLine.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include "win32/WideText.h"

namespace tessel::win32 {

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide != nullptr && i < count; ++i)
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace tessel::win32
