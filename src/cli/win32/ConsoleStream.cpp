#include "cli/win32/ConsoleStream.h"

#include "win32/WideText.h"

namespace tessel::cli {
namespace {

constexpr std::size_t kChunk = 4096;

// How many bytes at the end of text start a UTF-8 sequence that has not ended yet.
std::size_t OpenSequence(const std::string& text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

ConsoleStream::ConsoleStream(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
               GetConsoleMode(handle_, &mode) != FALSE;
}

ConsoleStream::~ConsoleStream() {
    Flush(true);
}

ConsoleStream::int_type ConsoleStream::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return Flush(true) ? traits_type::not_eof(c) : traits_type::eof();
    out_ += traits_type::to_char_type(c);
    if (out_.size() >= kChunk && !Flush(false))
        return traits_type::eof();
    return c;
}

int ConsoleStream::sync() {
    return Flush(true) ? 0 : -1;
}

bool ConsoleStream::Flush(bool all) {
    // A character cut at the chunk's end waits for its other bytes, unless everything must go.
    const std::size_t keep = (console_ && !all) ? OpenSequence(out_) : 0;
    const std::string text = out_.substr(0, out_.size() - keep);
    out_.erase(0, out_.size() - keep);
    if (text.empty())
        return true;
    DWORD written = 0;
    if (console_) {
        const std::wstring wide = win32::Widen(text);
        return WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written,
                             nullptr) != FALSE;
    }
    return WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
               FALSE &&
           written == text.size();
}

ConsoleStream::int_type ConsoleStream::underflow() {
    if (gptr() != nullptr && gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    DWORD read = 0;
    if (console_) {
        wchar_t wide[kChunk / 4];
        if (!ReadConsoleW(handle_, wide, static_cast<DWORD>(std::size(wide)), &read, nullptr) ||
            read == 0) {
            return traits_type::eof();
        }
        // Ctrl+Z at the start of a line ends console input.
        if (wide[0] == L'\x1A')
            return traits_type::eof();
        in_ = win32::Narrow(std::wstring_view(wide, read));
    } else {
        in_.resize(kChunk);
        if (!ReadFile(handle_, in_.data(), static_cast<DWORD>(in_.size()), &read, nullptr) ||
            read == 0) {
            return traits_type::eof();
        }
        in_.resize(read);
    }
    setg(in_.data(), in_.data(), in_.data() + in_.size());
    return traits_type::to_int_type(*gptr());
}

}  // namespace tessel::cli
