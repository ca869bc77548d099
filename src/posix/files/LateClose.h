#pragma once

namespace tessel {

// Closes fd on a thread of its own. Closing the last descriptor of a file that was replaced or
// removed frees the file's blocks, and some file systems wait for the disk to do so (ext4 that
// discards freed blocks at once takes half a millisecond for a megabyte); nobody needs to wait for
// that. Whatever is still queued when the process ends is closed by its end, as any descriptor is.
void CloseLater(int fd);

// Waits until every descriptor given so far is closed: for tests, which look at what the close
// frees.
void FinishLateCloses();

}  // namespace tessel
