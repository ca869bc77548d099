#include "cli/win32/ConsolePassword.h"

#include "cli/PasswordLine.h"

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
                "--password-prompt needs a console on standard input: use --password-stdin"};
    }
    std::optional<std::string> password;
    {
        EchoOff quiet(console.Handle());
        if (!quiet.Ok())
            return {std::nullopt, "cannot turn off the console's echo"};
        prompt << "Password: " << std::flush;
        password = ReadPasswordLine(in);
    }
    prompt << '\n';
    if (!password)
        return {std::nullopt, "no password was typed"};
    return {password, {}};
}

}  // namespace tessel::cli
