#include "cli/CommandLine.h"

#include <optional>

#include "cli/CommandOptions.h"
#include "cli/Translate.h"

namespace tessel::cli {
namespace {

constexpr std::pair<std::string_view, Command> kCommands[] = {
    {"list", Command::kList},     {"show", Command::kShow},     {"apply", Command::kApply},
    {"export", Command::kExport}, {"import", Command::kImport}, {"stores", Command::kStores},
    {"init", Command::kInit},     {"undo", Command::kUndo},
};

bool LooksLikeOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

class Parser {
  public:
    Parser(const std::vector<std::string>& args, const ForeignOptions& foreign)
        : args_(args), foreign_(foreign) {}

    ParsedCommandLine Run() {
        for (index_ = 1; index_ < Size() && error_.empty(); ++index_) {
            if (invocation_.help && invocation_.command != Command::kNone)
                break;  // the help is all that will be shown; the rest may be half-typed
            Take(args_[static_cast<std::size_t>(index_)]);
        }
        if (error_.empty() && !invocation_.help && !invocation_.version)
            error_ = CheckOperands();
        return {std::move(invocation_), std::move(error_)};
    }

  private:
    int Size() const { return static_cast<int>(args_.size()); }

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
        if (invocation_.command != Command::kNone) {
            invocation_.operands.push_back(word);
        } else if (word == "help") {
            invocation_.help = true;
        } else if (const auto command = FindCommand(word)) {
            invocation_.command = *command;
        } else {
            error_ = Fill(Tr("unknown command '%s'"), {word});
        }
    }

    static std::optional<Command> FindCommand(std::string_view word) {
        for (const auto& [name, command] : kCommands) {
            if (name == word)
                return command;
        }
        return std::nullopt;
    }

    void TakeOption(const std::string& arg) {
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const CommandOption* option = FindCommandOption(name);
        if (option == nullptr) {
            TakeForeign(name);
        } else if (!option->BelongsTo(invocation_.command)) {
            error_ = invocation_.command == Command::kNone
                         ? Fill(Tr("%s must follow a command"), {name})
                         : Fill(Tr("%s is not an option of '%s'"),
                                {name, CommandName(invocation_.command)});
        } else if (equals != std::string::npos && !option->takesValue) {
            error_ = Fill(Tr("%s takes no value"), {name});
        } else {
            TakeValue(*option, equals == std::string::npos ? std::nullopt
                                                           : std::optional(arg.substr(equals + 1)));
        }
    }

    void TakeValue(const CommandOption& option, std::optional<std::string> value) {
        if (option.takesValue && !value) {
            if (index_ + 1 >= Size()) {
                error_ = Fill(Tr("%s needs a value"), {option.name});
                return;
            }
            value = args_[static_cast<std::size_t>(++index_)];
        }
        error_ = option.Take(invocation_, value.value_or(std::string()));
    }

    void TakeForeign(const std::string& name) {
        if (foreign_(index_, error_) == ForeignOption::kNotOurs)
            error_ = Fill(Tr("unknown option %s"), {name});
    }

    std::string CheckOperands() const {
        const std::size_t count = invocation_.operands.size();
        switch (invocation_.command) {
            case Command::kNone:
                return Tr(
                    "a command is needed: list, show, apply, export, import, undo, stores or init");
            case Command::kList:
                return count == 0 ? "" : Tr("list takes no operands");
            case Command::kShow:
                return count == 1 ? "" : Tr("show needs exactly one board");
            case Command::kApply:
                return CheckApply();
            case Command::kExport:
                return invocation_.all && count > 0 ? Tr("give boards or --all, not both") : "";
            case Command::kImport:
                return count == 1 ? "" : Tr("import needs exactly one file (- for standard input)");
            case Command::kStores:
                return count == 0 ? "" : Tr("stores takes no operands");
            case Command::kInit:
                return count == 0 ? "" : Tr("init takes no operands");
            case Command::kUndo:
                return count == 0 ? "" : Tr("undo takes no operands");
        }
        return {};
    }

    std::string CheckApply() const {
        if (invocation_.all == !invocation_.operands.empty())
            return invocation_.all ? Tr("give boards or --all, not both")
                                   : Tr("apply needs boards or --all");
        if (invocation_.changes.Empty() && invocation_.passwordSource == PasswordSource::kNone)
            return Tr(
                "nothing to apply: give at least one preference option (see 'tessel apply "
                "--help')");
        return {};
    }

    const std::vector<std::string>& args_;
    const ForeignOptions& foreign_;
    Invocation invocation_;
    std::string error_;
    int index_ = 1;
    bool operandsOnly_ = false;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const ForeignOptions& foreign) {
    return Parser(args, foreign).Run();
}

std::string_view CommandName(Command command) {
    for (const auto& [name, known] : kCommands) {
        if (known == command)
            return name;
    }
    return "tessel";
}

}  // namespace tessel::cli
