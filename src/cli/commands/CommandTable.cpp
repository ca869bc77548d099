#include "cli/commands/CommandTable.h"

#include <algorithm>

#include "cli/Diagnostic.h"
#include "cli/Translate.h"
#include "cli/commands/CommandContext.h"

namespace tessel::cli {
namespace {

constexpr const char* kProgramHead = TrLater(R"(Usage: tessel [options] COMMAND [arguments]

Reads and writes the preferences cookies of the boards in TesselCustom's board list, from the
command line.

Commands:
)");

// The commands' lines go between the head and the tail.
constexpr const char* kProgramTail = TrLater(R"(
A BOARD is a position in the list (1 is the first), a section name (in any letter case) or a
nickname.

Options, before or after the command:
  --board-list FILE      the board list to use instead of the first found of: TesselCustom.ini
                         beside the program, $XDG_CONFIG_HOME/TesselCustom/TesselCustom.ini,
                         and TesselCustom/TesselCustom.ini under each of $XDG_CONFIG_DIRS
  --cookie-store STORE   where the cookies are: jar[:PATH] for a cookies.txt file,
                         firefox[:PROFILE_DIR] or chromium[:USER_DATA_DIR] for a browser's
                         profile (without a folder: the browser's default profile);
                         when not given, the store chosen in the window, else the jar
  --cookie-charset NAME  cp932 or utf-8; by default utf-8 for Firefox (it keeps no other),
                         cp932 for the others
  -h, --help             this help; 'tessel COMMAND --help' tells about a command
  --version              the program's name and version

Exit status: 0 done; 1 a board's cookie could not be read or written, or there was no board to
write; 2 a usage error, or the board list or cookie store could not be used.
)");

constexpr const char* kList = TrLater(R"(Usage: tessel list [--json]

Prints the boards in board-list order: position, nickname, name, kind and URL.

  --json   print them as a JSON array of objects
)");

constexpr const char* kShow = TrLater(R"(Usage: tessel show [--json] [--show-password] BOARD

Prints one board's preferences, read from its cookie. When the cookie cannot be read, says so
as the window does and exits with 1.

  --json            print a JSON object
  --show-password   print the password instead of hiding it
)");

constexpr const char* kApply = TrLater(R"(Usage: tessel apply [preferences] (BOARD... | --all)

Writes the given preferences to each board's cookie; every other preference keeps the value read
from the board's cookie. Prints a line per board in board-list order (its name, or why its cookie
could not be set), then a closing line: "Done." only when every board was written, else how
many were and were not. A store that cannot be used stops the run, with one message. Ferno-BBS
Harbor boards keep no preferences cookie: naming one fails; --all passes over them.

  --name TEXT             the name to post under
  --mail TEXT             the mail address
  --home-page URL         the home page
  --password-stdin        read the password from the first line of standard input
  --password-prompt       ask for the password at the terminal, without echo
  --view-count N          posts per page, 0 to 50
  --download-count N      log posts per download, 0 to 50
  --order newest|oldest   which posts come first
  --unread on|off         whether unread posts are marked
  --all                   write to every board of the list

The password is never taken from the command line, where other users could read it.
)");

constexpr const char* kExport =
    TrLater(R"(Usage: tessel export [--with-passwords] [BOARD... | --all]

Prints the boards' preferences (every board when none is named) as a JSON object keyed by
section name, for import. A board whose cookie cannot be read is left out, with a message on
standard error, and the exit status is 1. Ferno-BBS Harbor boards, which keep no preferences
cookie, are left out.

  --with-passwords   include the passwords (keep such a file private)
  --all              every board of the list
)");

constexpr const char* kImport = TrLater(R"(Usage: tessel import FILE

Writes the preferences of a file made by export ("-" reads standard input) to the boards it
names; other boards are not touched. Preferences a board's entry leaves out, the password among
them, keep the value read from the board's cookie. The whole file is checked before anything is
written: malformed JSON, an unknown board or field, a value of the wrong type or a count outside
0 to 50 writes nothing and exits with 2. Reports like apply.
)");

constexpr const char* kStores = TrLater(R"(Usage: tessel stores [--json]

Lists the cookie stores found: the cookies.txt jar and each Firefox and Chromium profile, with
the --cookie-store text that names it, whether it can be written now and, when not, why (the
browser is running, its database is of an unknown version). The store in use is marked "*".
)");

constexpr const char* kInit = TrLater(R"(Usage: tessel init

Creates your own board list, $XDG_CONFIG_HOME/TesselCustom/TesselCustom.ini (by default
~/.config/TesselCustom/TesselCustom.ini), or the file given with --board-list, as a copy of the
sample installed with TesselCustom, and prints its path. Add your boards to it with a text
editor. A file that is already there is never replaced: init then exits with 1.
)");

constexpr const char* kUndo = TrLater(R"(Usage: tessel undo

Puts the cookies of the last write (apply, import or the window's update) back as they were
before it: a cookie that did not exist is removed. A cookie changed by someone else since is left
alone and reported. Prints a line per board, then "Done." only when every cookie was put back,
else how many were and were not, and exits with 1 unless every one was. The last 10 writes are
kept, a file each, in $XDG_STATE_HOME/TesselCustom/undo (by default
~/.local/state/TesselCustom/undo); a write that cannot be kept there is not made.
A write to another cookie store than the one in use is not undone.
)");

}  // namespace

// Each command's run function, in the command's own file.
int RunList(const Invocation& invocation, CommandContext& context);
int RunShow(const Invocation& invocation, CommandContext& context);
int RunApply(const Invocation& invocation, CommandContext& context);
int RunExport(const Invocation& invocation, CommandContext& context);
int RunImport(const Invocation& invocation, CommandContext& context);
int RunUndo(const Invocation& invocation, CommandContext& context);
int RunStores(const Invocation& invocation, PlatformContext& context);
int RunInit(const Invocation& invocation, PlatformContext& context);

namespace {

std::string NoOperands(const Invocation& invocation) {
    return invocation.operands.empty()
               ? ""
               : Fill(Tr("%s takes no operands"), {invocation.command->name});
}

std::string OneBoard(const Invocation& invocation) {
    return invocation.operands.size() == 1 ? "" : Tr("show needs exactly one board");
}

std::string OneFile(const Invocation& invocation) {
    return invocation.operands.size() == 1
               ? ""
               : Tr("import needs exactly one file (- for standard input)");
}

std::string BoardsOrAll(const Invocation& invocation) {
    return invocation.all && !invocation.operands.empty() ? Tr("give boards or --all, not both")
                                                          : "";
}

std::string BoardsAndPreferences(const Invocation& invocation) {
    if (invocation.all == !invocation.operands.empty())
        return invocation.all ? Tr("give boards or --all, not both")
                              : Tr("apply needs boards or --all");
    if (invocation.changes.Empty() && invocation.passwordSource == PasswordSource::kNone)
        return Tr(
            "nothing to apply: give at least one preference option (see 'tessel apply "
            "--help')");
    return {};
}

const Command kCommands[] = {
    {"list", TrLater("the boards of the board list"), kList, kJsonOption, NoOperands, RunList,
     nullptr, false},
    {"show", TrLater("one board's preferences, read from its cookie"), kShow,
     kJsonOption | kShowPasswordOption, OneBoard, RunShow, nullptr},
    {"apply", TrLater("write preferences to boards, as the window's update command does"), kApply,
     kPreferenceOptions | kAllOption, BoardsAndPreferences, RunApply, nullptr},
    {"export", TrLater("boards' preferences as JSON"), kExport, kWithPasswordsOption | kAllOption,
     BoardsOrAll, RunExport, nullptr},
    {"import", TrLater("write preferences from a JSON file made by export"), kImport, 0, OneFile,
     RunImport, nullptr},
    {"undo", TrLater("put back the cookies the last apply, import or window update wrote"), kUndo,
     0, NoOperands, RunUndo, nullptr},
    {"stores",
     TrLater("the cookie stores found on this computer and whether they can be written now"),
     kStores, kJsonOption, NoOperands, nullptr, RunStores},
    {"init", TrLater("create your own board list from the sample, to edit"), kInit, 0, NoOperands,
     nullptr, RunInit},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

std::string HelpText(const Command* command) {
    if (command != nullptr)
        return Tr(command->help);
    std::string help = Tr(kProgramHead);
    for (const Command& listed : kCommands) {
        help += "  ";
        help += listed.name;
        help.append(std::max<std::size_t>(10, listed.name.size() + 2) - listed.name.size(), ' ');
        help += Tr(listed.summary);
        help += '\n';
    }
    return help + Tr(kProgramTail);
}

int NotAvailable(const Invocation& invocation, std::ostream& err) {
    return UsageError(err,
                      Fill(Tr("%s is not available on this system"), {invocation.command->name}));
}

int RunCommand(const Invocation& invocation, CommandContext& context) {
    if (invocation.command->touchesCookies && !context.storeName.empty())
        Diagnose(context.err, Fill(Tr("cookie store: %s"), {context.storeName}));
    return invocation.command->run(invocation, context);
}

}  // namespace tessel::cli
