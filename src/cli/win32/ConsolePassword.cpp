#include "cli/win32/ConsolePassword.h"

#include "cli/PasswordLine.h"
#include "cli/Translate.h"

namespace tessel::cli {
namespace {

class EchoOff {
  public:
    explicit EchoOff(HANDLE console) : console_(console) {
        saved_ = GetConsoleMode(console_, &mode_) != FALSE;
        ok_ = saved_ && SetConsoleMode(console_, mode_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    ~EchoOff() {
        if (saved_)
            SetConsoleMode(console_, mode_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool Ok() const { return ok_; }

  private:
    HANDLE console_;
    DWORD mode_ = 0;
    bool saved_ = false;
    bool ok_ = false;
};

}  // namespace

PasswordAnswer PromptPassword(const ConsoleStream& console, std::istream& in,
                              std::ostream& prompt) {
    if (!console.IsConsole()) {
        return {std::nullopt,
                Tr("--password-prompt needs a terminal on standard input: use --password-stdin")};
    }
    std::optional<std::string> password;
    std::string error;
    {
        EchoOff quiet(console.Handle());
        if (!quiet.Ok())
            return {std::nullopt, Tr("cannot turn off the terminal's echo")};
        prompt << Tr("Password: ") << std::flush;
        password = ReadPasswordLine(in, error);
    }
    prompt << '\n';
    if (!password)
        return {std::nullopt, error.empty() ? Tr("no password was typed") : error};
    return {password, {}};
}

}  // namespace tessel::cli
