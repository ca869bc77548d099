#pragma once

#include <istream>
#include <optional>
#include <string>

namespace tessel::cli {

// One line of input without its line end ("\n" or "\r\n"); an empty line is an empty password.
// nullopt when the input ends before any character, so that a forgotten pipe is not taken for a
// wish to clear the password.
std::optional<std::string> ReadPasswordLine(std::istream& in);

}  // namespace tessel::cli
