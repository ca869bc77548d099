#include "cli/terminal/PasswordLine.h"

#include "cli/Translate.h"
#include "text/Utf8.h"

namespace tessel::cli {
namespace {

constexpr std::size_t kMaxLine = 4096;

// The window's password field takes this many characters.
constexpr std::size_t kMaxPasswordLength = 8;

}  // namespace

PasswordAnswer PromptForPassword(bool onTerminal,
                                 const std::function<std::shared_ptr<void>()>& echoOff,
                                 std::istream& in, std::ostream& prompt) {
    if (!onTerminal) {
        return {std::nullopt,
                Tr("--password-prompt needs a terminal on standard input: use --password-stdin")};
    }
    std::optional<std::string> password;
    std::string error;
    {
        const std::shared_ptr<void> quiet = echoOff();
        if (!quiet)
            return {std::nullopt, Tr("cannot turn off the terminal's echo")};
        prompt << Tr("Password: ") << std::flush;
        password = ReadPasswordLine(in, error);
    }
    prompt << '\n';
    if (!password)
        return {std::nullopt, error.empty() ? Tr("no password was typed") : error};
    return {password, {}};
}

std::optional<std::string> ReadPasswordLine(std::istream& in, std::string& error) {
    std::string line;
    char c;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() == kMaxLine) {
            error =
                Fill(Tr("the password line is longer than %s bytes"), {std::to_string(kMaxLine)});
            return std::nullopt;
        }
        line += c;
    }
    if (!any) {
        error = Tr("--password-stdin found no line on standard input");
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string PasswordProblem(const std::string& password) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < password.size(); ++characters) {
        if (NextCodePoint(password, at) == kNotUtf8)
            return Tr("the password is not valid UTF-8 text");
    }
    if (characters <= kMaxPasswordLength)
        return {};
    return Fill(Tr("the password has %s characters; the window takes %s at most"),
                {std::to_string(characters), std::to_string(kMaxPasswordLength)});
}

}  // namespace tessel::cli
