#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/commands/CommandLine.h"
#include "cli/commands/CommandTable.h"

namespace tessel::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tessel");
    return ParseCommandLine(args, kEverySharedOption);
}

TEST(CommandLineTest, ApplyTakesEveryPreferenceInBothForms) {
    const ParsedCommandLine parsed =
        Parse({"apply", "--name", "太郎", "--mail=", "--home-page", "http://x/", "--view-count",
               "50", "--download-count=0", "--order", "oldest", "--unread", "off",
               "--password-stdin", "zatsudan", "2"});
    ASSERT_EQ(parsed.error, "");
    const Invocation& i = parsed.invocation;
    EXPECT_EQ(i.command, FindCommand("apply"));
    EXPECT_EQ(i.changes.postName, "太郎");
    EXPECT_EQ(i.changes.mail, "");
    EXPECT_EQ(i.changes.homePage, "http://x/");
    EXPECT_EQ(i.changes.viewCount, 50);
    EXPECT_EQ(i.changes.downloadCount, 0);
    EXPECT_EQ(i.changes.viewOrder, 1);
    EXPECT_EQ(i.changes.noReadView, 0);
    EXPECT_EQ(i.changes.password, std::nullopt);
    EXPECT_EQ(i.passwordSource, PasswordSource::kStdin);
    EXPECT_EQ(i.operands, (std::vector<std::string>{"zatsudan", "2"}));
}

TEST(CommandLineTest, PlatformOptionsStandBeforeOrAfterTheCommand) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--board-list", "b.ini", "show", "1"},
                                               {"show", "--board-list", "b.ini", "1"},
                                               {"show", "1", "--board-list", "b.ini"}}) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const ParsedCommandLine parsed = Parse(args);
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.shared.boardList, "b.ini");
        EXPECT_EQ(parsed.invocation.operands, std::vector<std::string>{"1"});
    }
}

TEST(CommandLineTest, ValuesAndOperandsAreTakenAsTheyAre) {
    // A value that looks like an option is still the value; after "--" all are operands.
    const ParsedCommandLine parsed = Parse({"apply", "--name", "--board-list", "--", "--all", "-"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.invocation.changes.postName, "--board-list");
    EXPECT_FALSE(parsed.invocation.all);
    EXPECT_EQ(parsed.invocation.operands, (std::vector<std::string>{"--all", "-"}));
}

TEST(CommandLineTest, HelpWinsOverWhatFollows) {
    const struct {
        std::vector<std::string> args;
        std::string_view command;  // none for the program's help
    } cases[] = {
        {{"--help"}, ""},
        {{"-h"}, ""},
        {{"help"}, ""},
        {{"help", "import"}, "import"},
        {{"init", "--help"}, "init"},
        {{"--help", "export"}, "export"},
        {{"apply", "--help", "--view-count", "99"}, "apply"},
        {{"show", "-h"}, "show"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const ParsedCommandLine parsed = Parse(c.args);
        EXPECT_EQ(parsed.error, "");
        EXPECT_TRUE(parsed.invocation.help);
        EXPECT_EQ(parsed.invocation.command, FindCommand(c.command));
    }
    const ParsedCommandLine version = Parse({"--version"});
    EXPECT_EQ(version.error, "");
    EXPECT_TRUE(version.invocation.version);
}

TEST(CommandLineTest, UsageErrorsSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "a command is needed"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--json", "list"}, "--json must follow a command"},
        {{"list", "--show-password"}, "--show-password is not an option of 'list'"},
        {{"list", "--bogus"}, "unknown option --bogus"},
        {{"list", "extra"}, "list takes no operands"},
        {{"list", "--board-list"}, "--board-list needs a value"},
        {{"show"}, "show needs exactly one board"},
        {{"show", "1", "2"}, "show needs exactly one board"},
        {{"apply", "--name", "x"}, "apply needs boards or --all"},
        {{"apply", "--name", "x", "--all", "1"}, "give boards or --all, not both"},
        {{"apply", "--all"}, "nothing to apply"},
        {{"apply", "--all", "--name"}, "--name needs a value"},
        {{"apply", "--all", "--name", "a", "--name", "b"}, "--name is given twice"},
        {{"apply", "--all", "--view-count", "51"},
         "--view-count must be a whole number from 0 to 50"},
        {{"apply", "--all", "--view-count", "-1"}, "--view-count must be"},
        {{"apply", "--all", "--download-count", "5.0"}, "--download-count must be"},
        {{"apply", "--all", "--download-count", " 5"}, "--download-count must be"},
        {{"apply", "--all", "--order", "Newest"}, "--order must be newest or oldest"},
        {{"apply", "--all", "--unread", "yes"}, "--unread must be on or off"},
        {{"apply", "--all", "--all=1"}, "--all takes no value"},
        {{"apply", "--all", "--password", "pw"}, "not taken from the command line"},
        {{"apply", "--all", "--password-stdin", "--password-prompt"}, "give only one of"},
        {{"export", "--all", "1"}, "give boards or --all, not both"},
        {{"import"}, "import needs exactly one file"},
        {{"init", "x.ini"}, "init takes no operands"},
        {{"init", "--json"}, "--json is not an option of 'init'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const ParsedCommandLine parsed = Parse(c.args);
        EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
    }
}

TEST(CommandLineTest, EveryCommandOfTheTableIsFoundAndHelped) {
    const std::string program = HelpText(nullptr);
    for (const Command& command : Commands()) {
        SCOPED_TRACE(command.name);
        EXPECT_EQ(FindCommand(command.name), &command);
        EXPECT_NE(program.find("\n  " + std::string(command.name) + " "), std::string::npos);
        EXPECT_EQ(HelpText(&command).rfind("Usage: tessel " + std::string(command.name), 0), 0u);
    }
}

}  // namespace
}  // namespace tessel::cli
