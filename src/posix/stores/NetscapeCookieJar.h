#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "cookies/Clock.h"
#include "cookies/CookieCharset.h"
#include "cookies/jar/CookieJarStore.h"
#include "posix/files/AtomicFile.h"
#include "posix/files/FileLock.h"
#include "posix/files/FileStamp.h"

namespace tessel {

// The cookies.txt jar as a file on this system. Writes replace the file in one step, private to
// its owner, while holding an exclusive lock on the directory that really holds the file, so that
// writers in several processes, through any path to the file, cannot lose each other's cookies.
// The parsed jar is kept until the file changes.
//
// Besides what every jar refuses, this one will not read or write a file named through an open
// descriptor (/proc/self/fd/3), nor wait for the lock longer than the lock wait; each refusal has
// its reason in LastFailure.
class NetscapeCookieJar : public CookieJarStore {
  public:
    NetscapeCookieJar(std::string path, Clock& clock,
                      CookieCharset charset = CookieCharset::kCp932);

    // How long a write waits for another program's lock before it fails (five seconds unless
    // set), and what to call once when it starts waiting.
    void SetLockWait(std::chrono::milliseconds wait, std::function<void()> notice = {}) {
        lockWait_ = wait;
        lockNotice_ = std::move(notice);
    }

  private:
    bool Load() override;
    bool LockAndLoad() override;
    bool Locked() const override { return lock_.Held(); }
    void Unlock() override { lock_.Release(); }
    bool Write(std::string bytes) override;
    void StageAhead(std::string_view bytes) override;
    void FinishStagingAhead() override;
    bool Stage(std::span<const std::string_view> pieces) override;
    bool Publish() override;
    void Discard() override { staged_.Discard(); }
    bool LoadFile();  // Load, once the path is known not to go through a descriptor
    bool RefuseDescriptorPath();
    // After a write: the document is the file's, or forgotten if the file cannot be seen.
    void Written();

    std::optional<FileStamp> stamp_;  // of the file the document was read from; empty if missing
    FileLock lock_;
    std::chrono::milliseconds lockWait_ = std::chrono::seconds(5);
    std::function<void()> lockNotice_;
    StagedReplacement staged_;
    // Writes a large batch's starting bytes aside while the batch works; joined before staged_
    // is used again, and last, so that it ends first.
    std::jthread ahead_;
};

}  // namespace tessel
