#include "cli/posix/TerminalPassword.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

#include "cli/terminal/PasswordLine.h"

namespace tessel::cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

termios savedTerminal;

// A signal while echo is off would leave the user's shell without echo.
extern "C" void RestoreAndRaise(int signal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

class EchoOff {
  public:
    EchoOff() {
        saved_ = tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
        if (!saved_)
            return;
        struct sigaction restore {};
        restore.sa_handler = RestoreAndRaise;
        sigemptyset(&restore.sa_mask);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &restore, &previous_[i]);
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ok_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (!saved_)
            return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &previous_[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool Ok() const { return ok_; }

  private:
    bool saved_ = false;
    bool ok_ = false;
    struct sigaction previous_[std::size(kSignals)]{};
};

}  // namespace

PasswordAnswer PromptPassword(std::istream& in, std::ostream& prompt) {
    return PromptForPassword(
        isatty(STDIN_FILENO) == 1,
        [] {
            auto quiet = std::make_shared<EchoOff>();
            return quiet->Ok() ? std::shared_ptr<void>(quiet) : nullptr;
        },
        in, prompt);
}

}  // namespace tessel::cli
