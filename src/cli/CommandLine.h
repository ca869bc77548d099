#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Preferences.h"

namespace tessel::cli {

enum class Command { kNone, kList, kShow, kApply, kExport, kImport, kStores, kInit, kUndo };

enum class PasswordSource { kNone, kStdin, kPrompt };

// What the user asked tessel to do.
struct Invocation {
    Command command = Command::kNone;
    bool help = false;     // show the help of command (of the program for kNone) and nothing else
    bool version = false;  // show the program's name and version and nothing else
    bool json = false;
    bool showPassword = false;
    bool withPasswords = false;
    bool all = false;
    std::vector<std::string> operands;  // the boards, or the file to import
    PreferenceChanges changes;          // the password never comes from here
    PasswordSource passwordSource = PasswordSource::kNone;
};

// The platform's own options (the board list, the cookie store), offered every option that is not
// one of tessel's. index is that of the option in args; a taker that also takes a following value
// leaves index on the value.
enum class ForeignOption { kNotOurs, kTaken, kError };
using ForeignOptions = std::function<ForeignOption(int& index, std::string& error)>;

struct ParsedCommandLine {
    Invocation invocation;
    std::string error;  // set for a usage error
};

// Reads args (args[0] is the program) as "tessel [options] COMMAND [options and operands]". Options
// of a command may stand anywhere after it, in the forms "--option value" and "--option=value";
// after "--" everything is an operand. "help COMMAND" asks for a command's help.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const ForeignOptions& foreign);

std::string_view CommandName(Command command);

}  // namespace tessel::cli
