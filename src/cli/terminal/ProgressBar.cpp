#include "cli/terminal/ProgressBar.h"

#include <algorithm>

#include "cookies/CookieDate.h"

namespace tessel::cli {

std::int64_t ProgressBar::NowMilliseconds() {
    const SystemTime now = clock_.GetSystemTime();
    return ToUnixSeconds(now) * 1000 + now.milliseconds;
}

void ProgressBar::Start(std::size_t total) {
    total_ = total;
    drawn_.clear();
    if (enabled_)
        started_ = NowMilliseconds();
}

std::string ProgressBar::Line(std::size_t done) const {
    const std::size_t filled = total_ == 0 ? kCells : std::min(done, total_) * kCells / total_;
    std::string line = "[";
    line.append(filled, '#');
    line.append(kCells - filled, '-');
    return line + "] " + std::to_string(done) + "/" + std::to_string(total_);
}

void ProgressBar::Advance(std::size_t done) {
    if (!enabled_ || NowMilliseconds() - started_ <= kDelayMilliseconds)
        return;
    std::string line = Line(done);
    if (line == drawn_)
        return;
    out_ << '\r' << line << std::flush;
    drawn_ = std::move(line);
}

void ProgressBar::Finish() {
    if (drawn_.empty())
        return;
    out_ << '\r' << std::string(drawn_.size(), ' ') << '\r' << std::flush;
    drawn_.clear();
}

}  // namespace tessel::cli
