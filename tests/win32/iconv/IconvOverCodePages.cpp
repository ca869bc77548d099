#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "iconv.h"

namespace {

// One converter: CP932 to UTF-8 or back, one character at a time so that a bad sequence stops
// the conversion exactly where it stands, as iconv does.
struct Converter {
    bool toUtf8;
};

std::size_t Fail(int error) {
    errno = error;
    return static_cast<std::size_t>(-1);
}

// The bytes of the next character of the input and their conversion; false for a bad sequence.
bool NextFromCp932(const char* in, std::size_t left, std::size_t& used, std::string& out) {
    used = (IsDBCSLeadByteEx(932, static_cast<BYTE>(in[0])) && left >= 2) ? 2 : 1;
    wchar_t wide[2];
    const int count =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in, static_cast<int>(used), wide, 2);
    if (count <= 0)
        return false;
    char utf8[8];
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide, count, utf8, sizeof utf8, nullptr, nullptr);
    out.assign(utf8, static_cast<std::size_t>(bytes));
    return true;
}

bool NextFromUtf8(const char* in, std::size_t left, std::size_t& used, std::string& out) {
    const auto lead = static_cast<unsigned char>(in[0]);
    used = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (used > left)
        return false;
    wchar_t wide[2];
    const int count =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, static_cast<int>(used), wide, 2);
    if (count <= 0)
        return false;
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, count, bytes,
                                         sizeof bytes, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    out.assign(bytes, static_cast<std::size_t>(size));
    return true;
}

}  // namespace

iconv_t iconv_open(const char* to, const char* from) {
    const bool toUtf8 = std::strcmp(to, "UTF-8") == 0 && std::strcmp(from, "CP932") == 0;
    const bool fromUtf8 = std::strcmp(to, "CP932") == 0 && std::strcmp(from, "UTF-8") == 0;
    if (!toUtf8 && !fromUtf8) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new Converter{toUtf8};
}

std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
    if (in == nullptr || *in == nullptr)
        return 0;
    const auto* converter = static_cast<Converter*>(cd);
    while (*inLeft > 0) {
        std::size_t used = 0;
        std::string piece;
        const bool ok = converter->toUtf8 ? NextFromCp932(*in, *inLeft, used, piece)
                                          : NextFromUtf8(*in, *inLeft, used, piece);
        if (!ok)
            return Fail(EILSEQ);
        if (piece.size() > *outLeft)
            return Fail(E2BIG);
        std::memcpy(*out, piece.data(), piece.size());
        *out += piece.size();
        *outLeft -= piece.size();
        *in += used;
        *inLeft -= used;
    }
    return 0;
}

int iconv_close(iconv_t cd) {
    delete static_cast<Converter*>(cd);
    return 0;
}
