#pragma once

#include <streambuf>
#include <string>
#include <string_view>

namespace tessel::cli {

// Whether a character would act on a terminal rather than be shown: C0 controls other than tab and
// line feed, DEL, C1 controls, and the bidirectional overrides and isolates, which can make a text
// read as something else than it holds.
bool ActsOnTerminal(char32_t codePoint);

// Appends to safe the text with every such character, and every byte that is not UTF-8, replaced
// by U+FFFD, so that text from outside (a board list, a cookie, an import file) cannot clear the
// screen or hide what follows it.
void AppendTerminalSafe(std::string_view text, std::string& safe);

// A stream buffer that passes everything written through AppendTerminalSafe on its way to target,
// line by line; a character cut between two writes is held until it is whole.
class TerminalSafeBuffer : public std::streambuf {
  public:
    explicit TerminalSafeBuffer(std::streambuf* target) : target_(target) {}
    ~TerminalSafeBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    bool Emit(bool all);
    bool Pass(std::string_view text);  // to target, made safe

    std::streambuf* target_;
    std::string pending_;
    std::string safe_;  // what was last passed on; kept for its storage
    bool failed_ = false;
};

}  // namespace tessel::cli
