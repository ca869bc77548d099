#pragma once

#include <cstddef>

namespace tessel::cli {

// Told how a run of cookie writes goes, so that a long one can show the user it is moving.
class Progress {
  public:
    virtual ~Progress() = default;
    virtual void Start(std::size_t total) = 0;
    virtual void Advance(std::size_t done) = 0;
    virtual void Finish() = 0;
};

// For runs nobody watches.
class NoProgress : public Progress {
  public:
    void Start(std::size_t) override {}
    void Advance(std::size_t) override {}
    void Finish() override {}
};

}  // namespace tessel::cli
