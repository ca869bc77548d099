#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "app/BoardWriteBatch.h"
#include "cookies/Clock.h"

namespace tessel::cli {

// A one-line bar, "[#####-----] 12/40", redrawn in place with carriage returns. It appears only
// once a run has lasted more than a second (a quick run should leave no trace), is redrawn only
// when it changes, and is wiped by Finish so that the results print on a clean line. A bar that is
// not enabled (its stream is no terminal) never draws.
class ProgressBar : public Progress {
  public:
    static constexpr int kCells = 30;
    static constexpr std::int64_t kDelayMilliseconds = 1000;

    ProgressBar(Clock& clock, std::ostream& out, bool enabled)
        : clock_(clock), out_(out), enabled_(enabled) {}

    void Start(std::size_t total) override;
    void Advance(std::size_t done) override;
    void Finish() override;

  private:
    std::int64_t NowMilliseconds();
    std::string Line(std::size_t done) const;

    Clock& clock_;
    std::ostream& out_;
    bool enabled_;
    std::size_t total_ = 0;
    std::int64_t started_ = 0;
    std::string drawn_;
};

}  // namespace tessel::cli
