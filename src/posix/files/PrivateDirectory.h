#pragma once

#include <string>
#include <system_error>

namespace tessel {

// Creates directory and whichever of its parents are missing, each with mode 0700 (less the
// umask), as a directory that will hold secrets should be. Existing directories are left as they
// are. An error when a part cannot be created or exists as something other than a directory.
std::error_code MakePrivateDirectories(const std::string& directory);

}  // namespace tessel
