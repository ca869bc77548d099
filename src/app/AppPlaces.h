#pragma once

#include <string>

#include "cookies/CookieFailure.h"

namespace tessel {

// Where the application's files are: what finding and creating the board list and finding the
// help need from the machine.
class AppPlaces {
  public:
    virtual ~AppPlaces() = default;

    // The value of an environment variable; empty when it is unset.
    virtual std::string Environment(const std::string& name) = 0;
    // Whether anything is at path: a directory there is a board list that cannot be used, which
    // fails the load rather than being passed over.
    virtual bool Exists(const std::string& path) = 0;
    // The installed sample board list; empty when none is installed.
    virtual std::string SampleBoardList() = 0;
    // The installed help document; empty when none is installed.
    virtual std::string InstalledHelp() = 0;
    // Copies from to a new file at to, creating its folders. Never replaces a file that is there.
    // Returns no failure on success, otherwise why it failed.
    virtual CookieFailure CopyToNewFile(const std::string& from, const std::string& to) = 0;
};

}  // namespace tessel
