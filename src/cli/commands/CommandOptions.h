#pragma once

#include <string>
#include <string_view>

#include "cli/commands/CommandLine.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {

// An option of tessel's commands: a switch that sets a flag of the invocation, or an option whose
// taker checks its value and records it (returning what is wrong with it, or nothing).
struct CommandOption {
    using Taker = std::string (*)(Invocation&, const std::string& value);

    std::string_view name;
    unsigned set;  // the CommandOptionSet bit commands take it by, or kAnyCommand
    bool takesValue;
    Taker take;
    bool Invocation::*flag = nullptr;

    static constexpr unsigned kAnyCommand = ~0u;  // and before any command

    bool BelongsTo(const Command* command) const {
        return set == kAnyCommand || (command != nullptr && (command->options & set) != 0);
    }
    std::string Take(Invocation& invocation, const std::string& value) const {
        if (flag == nullptr)
            return take(invocation, value);
        invocation.*flag = true;
        return {};
    }
};

// The option called name (without any "=value"), or null when tessel has none of that name.
const CommandOption* FindCommandOption(std::string_view name);

}  // namespace tessel::cli
