#pragma once

#include <string>
#include <vector>

#include "app/SharedOptions.h"
#include "cli/commands/Preferences.h"

namespace tessel::cli {

struct Command;

enum class PasswordSource { kNone, kStdin, kPrompt };

// What the user asked tessel to do.
struct Invocation {
    const Command* command = nullptr;  // a row of the command table; none before one is named
    bool help = false;     // show the help of command (of the program without one) and nothing else
    bool version = false;  // show the program's name and version and nothing else
    bool json = false;
    bool showPassword = false;
    bool withPasswords = false;
    bool all = false;
    std::vector<std::string> operands;  // the boards, or the file to import
    PreferenceChanges changes;          // the password never comes from here
    PasswordSource passwordSource = PasswordSource::kNone;
};

struct ParsedCommandLine {
    Invocation invocation;
    SharedOptions shared;  // the board list and cookie store named
    std::string error;     // set for a usage error
};

// Reads args (args[0] is the program) as "tessel [options] COMMAND [options and operands]". Options
// of a command may stand anywhere after it, the shared ones (those of sharedOptions) anywhere, in
// the forms "--option value" and "--option=value"; after "--" everything is an operand.
// "help COMMAND" asks for a command's help.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, unsigned sharedOptions);

}  // namespace tessel::cli
