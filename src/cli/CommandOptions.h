#pragma once

#include <string>
#include <string_view>

#include "cli/CommandLine.h"

namespace tessel::cli {

constexpr unsigned CommandBit(Command command) {
    return 1u << static_cast<unsigned>(command);
}

// An option of tessel's commands: a switch that sets a flag of the invocation, or an option whose
// taker checks its value and records it (returning what is wrong with it, or nothing).
struct CommandOption {
    using Taker = std::string (*)(Invocation&, const std::string& value);

    std::string_view name;
    unsigned commands;  // the CommandBit of each command it belongs to
    bool takesValue;
    Taker take;
    bool Invocation::*flag = nullptr;

    bool BelongsTo(Command command) const { return (commands & CommandBit(command)) != 0; }
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
