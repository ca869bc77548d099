#pragma once

#include <istream>
#include <optional>
#include <string>

namespace tessel::cli {

// One line of input without its line end ("\n" or "\r\n"); an empty line is an empty password.
// nullopt, with error set, when the input ends before any character (a forgotten pipe is not taken
// for a wish to clear the password) or the line runs past a few kilobytes (no password does; an
// endless input must not take all memory).
std::optional<std::string> ReadPasswordLine(std::istream& in, std::string& error);

// What is wrong with a password the window could not have typed (more than its eight characters),
// or empty.
std::string PasswordProblem(const std::string& password);

}  // namespace tessel::cli
