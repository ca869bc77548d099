#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/commands/CommandContext.h"
#include "cli/commands/CommandLine.h"

namespace tessel::cli {

// The options a command takes besides --help, --version and the shared ones, as bits of
// Command::options.
enum CommandOptionSet : unsigned {
    kJsonOption = 1u << 0,           // --json
    kShowPasswordOption = 1u << 1,   // --show-password
    kWithPasswordsOption = 1u << 2,  // --with-passwords
    kAllOption = 1u << 3,            // --all
    kPreferenceOptions = 1u << 4,    // --name, --mail, ... and the password's sources
};

// One of tessel's commands, all that tessel knows of it: adding a command is adding a row to the
// table and the file with its run function.
struct Command {
    std::string_view name;
    const char* summary;  // its line in the program's help (for the catalog: TrLater)
    const char* help;     // its own help, usage first (TrLater)
    unsigned options;     // the CommandOptionSet it takes
    // What is wrong with the operands (and the options taken together), or empty.
    std::string (*check)(const Invocation& invocation);
    // Exactly one of these runs it, returning tessel's exit status: run once the board list is
    // loaded and the store open, or runAlone before either, for a command that needs neither.
    int (*run)(const Invocation& invocation, CommandContext& context);
    int (*runAlone)(const Invocation& invocation, PlatformContext& context);
    // Whether it reads or writes cookies, and so names the store it used.
    bool touchesCookies = true;
};

// Every command, in the order the program's help lists them.
std::span<const Command> Commands();

// The command called name, or null.
const Command* FindCommand(std::string_view name);

// The help of a command, or of the program when command is null.
std::string HelpText(const Command* command);

// Runs a command that needs the board list and store (command->run).
int RunCommand(const Invocation& invocation, CommandContext& context);

// Tells that the platform lacks what a command needs (a place for the user's board list, a choice
// of stores); returns the usage-error status.
int NotAvailable(const Invocation& invocation, std::ostream& err);

}  // namespace tessel::cli
