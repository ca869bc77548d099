#pragma once

#include <string>

#include "app/AppPlaces.h"

namespace tessel {

// The application's places on Windows: the process environment, the file system, and the board
// list shipped beside the programs, which is the sample a new list is made from.
class Win32AppPlaces : public AppPlaces {
  public:
    explicit Win32AppPlaces(std::string shippedBoardList)
        : shippedBoardList_(std::move(shippedBoardList)) {}

    std::string Environment(const std::string& name) override;
    bool Exists(const std::string& path) override;
    std::string SampleBoardList() override;
    std::string InstalledHelp() override { return {}; }
    CookieFailure CopyToNewFile(const std::string& from, const std::string& to) override;

  private:
    std::string shippedBoardList_;
};

}  // namespace tessel
