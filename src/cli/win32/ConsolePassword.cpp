#include "cli/win32/ConsolePassword.h"

#include <memory>

#include "cli/terminal/PasswordLine.h"

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
    return PromptForPassword(
        console.IsConsole(),
        [&console] {
            auto quiet = std::make_shared<EchoOff>(console.Handle());
            return quiet->Ok() ? std::shared_ptr<void>(quiet) : nullptr;
        },
        in, prompt);
}

}  // namespace tessel::cli
