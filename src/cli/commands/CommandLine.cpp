#include "cli/commands/CommandLine.h"

#include <optional>

#include "cli/Translate.h"
#include "cli/commands/CommandOptions.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {
namespace {

bool LooksLikeOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

class Parser {
  public:
    Parser(const std::vector<std::string>& args, unsigned sharedOptions)
        : args_(args), sharedOptions_(sharedOptions) {}

    ParsedCommandLine Run() {
        for (index_ = 1; index_ < args_.size() && error_.empty(); ++index_) {
            if (invocation_.help && invocation_.command != nullptr)
                break;  // the help is all that will be shown; the rest may be half-typed
            Take(args_[index_]);
        }
        if (error_.empty() && !invocation_.help && !invocation_.version)
            error_ = CheckOperands();
        return {std::move(invocation_), std::move(shared_), std::move(error_)};
    }

  private:
    void Take(const std::string& arg) {
        if (!operandsOnly_ && arg == "--") {
            operandsOnly_ = true;
        } else if (!operandsOnly_ && LooksLikeOption(arg)) {
            TakeOption(arg);
        } else {
            TakeWord(arg);
        }
    }

    void TakeWord(const std::string& word) {
        if (invocation_.command != nullptr) {
            invocation_.operands.push_back(word);
        } else if (word == "help") {
            invocation_.help = true;
        } else if (const Command* command = FindCommand(word)) {
            invocation_.command = command;
        } else {
            error_ = Fill(Tr("unknown command '%s'"), {word});
        }
    }

    void TakeOption(const std::string& arg) {
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const CommandOption* option = FindCommandOption(name);
        if (option == nullptr) {
            TakeShared(name);
        } else if (!option->BelongsTo(invocation_.command)) {
            error_ = invocation_.command == nullptr ? Fill(Tr("%s must follow a command"), {name})
                                                    : Fill(Tr("%s is not an option of '%s'"),
                                                           {name, invocation_.command->name});
        } else if (equals != std::string::npos && !option->takesValue) {
            error_ = Fill(Tr("%s takes no value"), {name});
        } else {
            TakeValue(*option, equals == std::string::npos ? std::nullopt
                                                           : std::optional(arg.substr(equals + 1)));
        }
    }

    void TakeValue(const CommandOption& option, std::optional<std::string> value) {
        if (option.takesValue && !value) {
            if (index_ + 1 >= args_.size()) {
                error_ = Fill(Tr("%s needs a value"), {option.name});
                return;
            }
            value = args_[++index_];
        }
        error_ = option.Take(invocation_, value.value_or(std::string()));
    }

    void TakeShared(const std::string& name) {
        if (!TakeSharedOption(args_, index_, sharedOptions_, shared_, error_))
            error_ = Fill(Tr("unknown option %s"), {name});
    }

    std::string CheckOperands() const {
        return invocation_.command == nullptr ? NoCommand()
                                              : invocation_.command->check(invocation_);
    }

    static std::string NoCommand() {
        std::string names;
        const std::span<const Command> commands = Commands();
        for (const Command& command : commands) {
            if (!names.empty())
                names += &command == &commands.back() ? Tr(" or ") : Tr(", ");
            names += command.name;
        }
        return Fill(Tr("a command is needed: %s"), {names});
    }

    const std::vector<std::string>& args_;
    unsigned sharedOptions_;
    Invocation invocation_;
    SharedOptions shared_;
    std::string error_;
    std::size_t index_ = 1;
    bool operandsOnly_ = false;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, unsigned sharedOptions) {
    return Parser(args, sharedOptions).Run();
}

}  // namespace tessel::cli
