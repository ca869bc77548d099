#include "posix/files/LateClose.h"

#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tessel {
namespace {

class LateCloser {
  public:
    void Add(int fd) {
        {
            std::lock_guard lock(mutex_);
            queued_.push_back(fd);
            if (!started_) {
                try {
                    // Never joined: the closer waits for work until the process ends, which
                    // needs nothing from it.
                    std::thread([this] { Run(); }).detach();
                    started_ = true;
                } catch (const std::system_error&) {
                    queued_.pop_back();
                    close(fd);  // no thread to be had: the caller waits after all
                    return;
                }
            }
        }
        changed_.notify_all();
    }

    void Finish() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queued_.empty() && !closing_; });
    }

  private:
    void Run() {
        std::vector<int> batch;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                closing_ = false;
                changed_.notify_all();
                changed_.wait(lock, [this] { return !queued_.empty(); });
                batch.swap(queued_);
                closing_ = true;
            }
            for (const int fd : batch)
                close(fd);
            batch.clear();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> queued_;
    bool started_ = false;
    bool closing_ = false;
};

LateCloser& Closer() {
    // Left to the process's end, never destroyed: its thread may still be waiting on it then.
    static LateCloser* const closer = new LateCloser;
    return *closer;
}

}  // namespace

void CloseLater(int fd) {
    if (fd >= 0)
        Closer().Add(fd);
}

void FinishLateCloses() {
    Closer().Finish();
}

}  // namespace tessel
