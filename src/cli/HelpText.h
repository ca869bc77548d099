#pragma once

#include <string_view>

#include "cli/CommandLine.h"

namespace tessel::cli {

// The help of a command, or of the program for Command::kNone.
std::string_view HelpText(Command command);

}  // namespace tessel::cli
