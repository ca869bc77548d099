// Prints the WinINet cookie text for the address given, from a process of its own: what another
// program on the machine would find. Exit status 1 when the store could not be read.
#include <cstdio>

#include "win32/CommandLine.h"
#include "win32/WinInetCookieStore.h"

int main() {
    const auto args = tessel::win32::CommandLineArguments();
    if (args.size() != 2)
        return 2;
    tessel::WinInetCookieStore store;
    const auto text = store.InternetGetCookie(args[1], args[1]);
    if (!text)
        return 1;
    std::fputs(text->c_str(), stdout);
    return 0;
}
