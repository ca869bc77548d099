#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/commands/CommandContext.h"

namespace tessel::cli {

// One line of input without its line end ("\n" or "\r\n"); an empty line is an empty password.
// nullopt, with error set, when the input ends before any character (a forgotten pipe is not taken
// for a wish to clear the password) or the line runs past a few kilobytes (no password does; an
// endless input must not take all memory).
std::optional<std::string> ReadPasswordLine(std::istream& in, std::string& error);

// Asks for a password at the terminal and reads it with the terminal's echo off. onTerminal says
// whether standard input is a terminal; echoOff turns the echo off for as long as what it returns
// is kept, or returns null when it cannot. Each platform brings its own terminal and echo switch.
PasswordAnswer PromptForPassword(bool onTerminal,
                                 const std::function<std::shared_ptr<void>()>& echoOff,
                                 std::istream& in, std::ostream& prompt);

// What is wrong with a password the window could not have typed (more than its eight characters),
// or empty.
std::string PasswordProblem(const std::string& password);

}  // namespace tessel::cli
