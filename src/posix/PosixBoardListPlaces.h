#pragma once

#include <string>

#include "app/BoardListPlaces.h"

namespace tessel {

// The board list's places on Linux: the process environment, the file system, and the sample
// installed with the program (found relative to the executable first, so that a copy installed
// under any prefix or unpacked from a package finds its own).
class PosixBoardListPlaces : public BoardListPlaces {
  public:
    explicit PosixBoardListPlaces(std::string executableDirectory)
        : executableDirectory_(std::move(executableDirectory)) {}

    std::string Environment(const std::string& name) override;
    bool Exists(const std::string& path) override;
    std::string SampleBoardList() override;
    std::string CopyToNewFile(const std::string& from, const std::string& to) override;

  private:
    std::string executableDirectory_;
};

}  // namespace tessel
