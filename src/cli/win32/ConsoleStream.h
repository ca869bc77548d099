#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace tessel::cli {

// A standard handle as a UTF-8 stream buffer. To a console the text goes as UTF-16 (WriteConsoleW),
// so every character shows whatever the console's code page; to a file or pipe the UTF-8 bytes go
// unchanged. Reading from a console likewise takes UTF-16 and hands out UTF-8.
class ConsoleStream : public std::streambuf {
  public:
    explicit ConsoleStream(DWORD standardHandle);
    ~ConsoleStream() override;
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;

    bool IsConsole() const { return console_; }
    HANDLE Handle() const { return handle_; }

  protected:
    int_type overflow(int_type c) override;
    int sync() override;
    int_type underflow() override;

  private:
    bool Flush(bool all);

    HANDLE handle_;
    bool console_ = false;
    std::string out_;
    std::string in_;
};

}  // namespace tessel::cli
