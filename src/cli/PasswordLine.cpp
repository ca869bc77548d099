#include "cli/PasswordLine.h"

#include "cli/Utf8.h"

namespace tessel::cli {
namespace {

constexpr std::size_t kMaxLine = 4096;

// The window's password field takes this many characters.
constexpr std::size_t kMaxPasswordLength = 8;

}  // namespace

std::optional<std::string> ReadPasswordLine(std::istream& in, std::string& error) {
    std::string line;
    char c;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() == kMaxLine) {
            error = "the password line is longer than " + std::to_string(kMaxLine) + " bytes";
            return std::nullopt;
        }
        line += c;
    }
    if (!any) {
        error = "--password-stdin found no line on standard input";
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string PasswordProblem(const std::string& password) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < password.size(); ++characters) {
        if (!NextCodePoint(password, at))
            return "the password is not valid UTF-8 text";
    }
    if (characters <= kMaxPasswordLength)
        return {};
    return "the password has " + std::to_string(characters) + " characters; the window takes " +
           std::to_string(kMaxPasswordLength) + " at most";
}

}  // namespace tessel::cli
