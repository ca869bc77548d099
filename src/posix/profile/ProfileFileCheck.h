#pragma once

#include <string_view>

#include "settings/ProfileFailure.h"

namespace tessel {

// Why a file's bytes cannot be read as a board list; none when they can. The profile functions
// would read such a file as other sections than it holds: a NUL cuts a section name, key or value
// short ("[Sec\0ret]" reads as the section "Sec", so the board of that name silently goes), and
// UTF-16 without a byte-order mark, big-endian UTF-16 and UTF-32 read as Windows-31J noise.
ProfileFailure ProfileFileProblem(std::string_view bytes);

}  // namespace tessel
