#pragma once

#include <sys/types.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace tessel {

// Replaces the whole content of path in one step: the new bytes go to a temporary file beside the
// target, which is flushed to disk and renamed over it, so a reader or a crash sees either the old
// file or the new one, never a mix. A symbolic link at path stays a link; the file it points to is
// replaced. An existing file keeps its permission bits; a new one gets 0644 less the umask; every
// temporary file is 0600 until it takes its place. A file
// without write permission is refused, as an editor would refuse it.
//
// Returns an empty error code on success. On failure the target is as it was and no temporary file
// is left behind.
std::error_code WriteFileAtomically(const std::string& path, std::string_view contents);

// The same, giving a file that does not exist yet newFileMode (less the umask) instead of 0644.
std::error_code WriteFileAtomically(const std::string& path, std::string_view contents,
                                    mode_t newFileMode);

// The same for a file that holds secrets: the file is left with mode 0600 whatever mode it had,
// so that a file once made readable by others stops being so at the next write.
std::error_code WritePrivateFileAtomically(const std::string& path, std::string_view contents);

// The same, for a writer that holds the lock every writer of path takes: none of them can be
// mid-write, so every temporary that a killed writer of path left is removed, however recent.
std::error_code WriteLockedPrivateFileAtomically(const std::string& path,
                                                 std::string_view contents);

// A replacement made in two steps, so that other writes can be made durable in between: Stage
// writes the new bytes aside (as WriteLockedPrivateFileAtomically would) and starts putting them
// on disk, with the target untouched; Publish flushes them and puts them in place; Discard, or
// the end of the object, removes what was staged.
class StagedReplacement {
  public:
    StagedReplacement();
    ~StagedReplacement();
    StagedReplacement(const StagedReplacement&) = delete;
    StagedReplacement& operator=(const StagedReplacement&) = delete;

    std::error_code StageLockedPrivate(const std::string& path, std::string_view contents);
    // The same for contents given in pieces, written in turn. When the bytes written ahead for
    // path are where the first piece starts, the bytes the two share are not written again.
    std::error_code StageLockedPrivate(const std::string& path,
                                       std::span<const std::string_view> contents);
    // Writes bytes aside for path and flushes them, ahead of the contents to stage, which are
    // expected to start with much of them; they must stay unchanged in memory until then. Safe
    // to run on another thread while nothing else calls this object. A failure only leaves
    // nothing ahead.
    void StageAheadLockedPrivate(const std::string& path, std::string_view bytes);
    std::error_code Publish();
    void Discard();
    // Drops the bytes written ahead that no stage used.
    void DiscardAhead();
    bool Staged() const { return staged_ != nullptr; }

  private:
    struct Pending;
    std::error_code StageOverAhead(std::span<const std::string_view> contents);

    std::unique_ptr<Pending> staged_;
    std::unique_ptr<Pending> ahead_;
};

// The file that a write to path lands in: path itself, or whatever its chain of symbolic links
// finally names (which need not exist yet). A path that reaches its file through an open
// descriptor (/proc/<pid>/fd/<n>, /dev/fd/<n>) is refused with errc::bad_file_descriptor: the
// link names the file that descriptor holds, which may have been replaced already, and writing
// through its name would make a new file called "<name> (deleted)".
std::error_code ResolveWriteTarget(const std::string& path, std::string* target);

// Whether path names its file through an open descriptor, as above.
bool NamesThroughDescriptor(const std::string& path);

}  // namespace tessel
