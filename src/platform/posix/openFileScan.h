#pragma once
// Finding holders of a file by walking /proc/<pid>/fd: the fallback of the
// "held open by another process" test where the kernel refuses a lease.

#include <sys/types.h>

namespace platform::posix {

// True when a process other than this one has a descriptor open on the file
// with this device and inode. Only processes whose descriptors this process
// may inspect are seen (all of them for root, the user's own otherwise).
bool anyOtherProcessHolds(dev_t device, ino_t inode);

} // namespace platform::posix
