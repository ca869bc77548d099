#pragma once

#include <istream>
#include <ostream>

#include "cli/commands/CommandContext.h"

namespace tessel::cli {

// Asks for the password with prompt and reads a line of standard input with the terminal's echo
// turned off. Refuses when standard input is not a terminal: there is nobody to ask.
PasswordAnswer PromptPassword(std::istream& in, std::ostream& prompt);

}  // namespace tessel::cli
