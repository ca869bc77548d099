#include "cli/HelpText.h"

#include "cli/Translate.h"

namespace tessel::cli {
namespace {

constexpr const char* kProgram = TrLater(R"(Usage: tessel [options] COMMAND [arguments]

Reads and writes the preferences cookies of the boards in TesselCustom's board list, from the
command line.

Commands:
  list      the boards of the board list
  show      one board's preferences, read from its cookie
  apply     write preferences to boards, as the window's update command does
  export    boards' preferences as JSON
  import    write preferences from a JSON file made by export
  undo      put back the cookies the last apply, import or window update wrote
  stores    the cookie stores found on this computer and whether they can be written now
  init      create your own board list from the sample, to edit

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
could not be set), then a closing line: "設定完了。" only when every board was written, else how
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
alone and reported. Prints a line per board, then "設定完了。" only when every cookie was put back,
else how many were and were not, and exits with 1 unless every one was. The last 10 writes are
kept, in $XDG_STATE_HOME/TesselCustom/undo-journal (by default
~/.local/state/TesselCustom/undo-journal); a write that cannot be kept there is not made.
A write to another cookie store than the one in use is not undone.
)");

}  // namespace

std::string_view HelpText(Command command) {
    switch (command) {
        case Command::kList:
            return Tr(kList);
        case Command::kShow:
            return Tr(kShow);
        case Command::kApply:
            return Tr(kApply);
        case Command::kExport:
            return Tr(kExport);
        case Command::kImport:
            return Tr(kImport);
        case Command::kStores:
            return Tr(kStores);
        case Command::kInit:
            return Tr(kInit);
        case Command::kUndo:
            return Tr(kUndo);
        case Command::kNone:
            break;
    }
    return Tr(kProgram);
}

}  // namespace tessel::cli
