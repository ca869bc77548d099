#pragma once

// The few iconv calls the Linux profile reader makes, over the Windows code-page functions, so
// that the reader itself can be compiled for Windows and compared with kernel32's.
#include <cstddef>

typedef void* iconv_t;

iconv_t iconv_open(const char* to, const char* from);
std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft);
int iconv_close(iconv_t cd);
