#pragma once

#include <istream>
#include <ostream>

#include "cli/commands/CommandContext.h"
#include "cli/win32/ConsoleStream.h"

namespace tessel::cli {

// Asks for the password with prompt and reads a line from the console with its echo turned off.
// Refuses when standard input is not a console: there is nobody to ask.
PasswordAnswer PromptPassword(const ConsoleStream& console, std::istream& in, std::ostream& prompt);

}  // namespace tessel::cli
