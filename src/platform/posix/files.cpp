#include "platform/files.h"

#include "platform/posix/openFileScan.h"
#include "platform/posix/statInfo.h"
#include "platform/posix/uniqueFd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <mutex>
#include <string>

namespace platform {

namespace {

void onLeaseBreak(int) {}

// The kernel tells a lease holder with SIGIO that another process wants the
// file; SIGIO's default action ends the process. The probe gives its lease up
// at once anyway, so the signal only needs to be harmless.
void makeLeaseBreakSignalHarmless() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGIO, nullptr, &current) != 0) {
            return;
        }
        const bool isDefault = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
        if (!isDefault) {
            return; // someone else already handles or ignores it
        }
        struct sigaction action {};
        action.sa_handler = onLeaseBreak;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGIO, &action, nullptr);
    });
}

bool statRegular(const std::string& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether one of the descriptors listed in the /proc fd folder `fdFolder`
// is open on the file (device, inode), leaving out descriptor `except`.
// Following the /proc link stats the open file itself, even if it has been
// renamed since it was opened.
bool folderListsHolder(const std::string& fdFolder, dev_t device, ino_t inode, long except = -1) {
    const int folder = ::open(fdFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false; // gone, or not ours to inspect
    }
    DIR* descriptors = ::fdopendir(folder);
    if (descriptors == nullptr) {
        ::close(folder);
        return false;
    }
    bool found = false;
    while (const dirent* descriptor = ::readdir(descriptors)) {
        char* end = nullptr;
        const long number = std::strtol(descriptor->d_name, &end, 10);
        if (end == descriptor->d_name || *end != '\0' || number == except || number == folder) {
            continue;
        }
        struct stat info {};
        if (::fstatat(folder, descriptor->d_name, &info, 0) == 0 && info.st_dev == device && info.st_ino == inode) {
            found = true;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}

// Whether a descriptor of this process other than `except` is open on the
// file: the program's own copy holds its source for the whole copy.
bool thisProcessHoldsBesides(int except, dev_t device, ino_t inode) {
    return folderListsHolder("/proc/self/fd", device, inode, except);
}

} // namespace

namespace posix {

bool anyOtherProcessHolds(dev_t device, ino_t inode) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return false;
    }
    const pid_t self = ::getpid();
    bool found = false;
    while (!found) {
        const dirent* process = ::readdir(proc);
        if (process == nullptr) {
            break;
        }
        char* end = nullptr;
        const long pid = std::strtol(process->d_name, &end, 10);
        if (end == process->d_name || *end != '\0' || pid <= 0 || pid == self) {
            continue;
        }
        found = folderListsHolder(std::string("/proc/") + process->d_name + "/fd", device, inode);
    }
    ::closedir(proc);
    return found;
}

} // namespace posix

bool isListedPlainFile(const std::string& path) {
    struct stat info {};
    return statRegular(path, info);
}

namespace {

// Whether another process holds the regular file open on which `fd` is a
// descriptor of ours (with `info` its status). A write lease is granted only
// while no other descriptor for the file is open anywhere in the system; it
// is taken and given back at once, so the file is never read, written or
// kept from anyone for more than an instant.
bool heldByOtherProcess(int fd, const struct stat& info) {
    makeLeaseBreakSignalHarmless();
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN) {
        // Another descriptor is open on the file. When it may be one of our
        // own, only the holders the kernel lists for other processes count.
        if (thisProcessHoldsBesides(fd, info.st_dev, info.st_ino)) {
            return posix::anyOtherProcessHolds(info.st_dev, info.st_ino);
        }
        // None of ours now; but one of ours (the copier's, say) may have
        // been closed since the lease was refused. Asked once more, only
        // other processes can refuse it.
        if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
            ::fcntl(fd, F_SETLEASE, F_UNLCK);
            return false;
        }
        return true;
    }
    // Refused for another reason: not the file's owner (EACCES), or a file
    // system without leases (EINVAL). Look for holders instead.
    return posix::anyOtherProcessHolds(info.st_dev, info.st_ino);
}

// Opens the file to ask for a lease. O_NONBLOCK keeps the open itself from
// waiting on another process's lease (and on a FIFO that replaced the file).
UniqueFd openForLease(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

std::optional<FileStatus> statusFrom(const struct stat& info) {
    std::tm local{};
    if (S_ISDIR(info.st_mode) || ::localtime_r(&info.st_mtime, &local) == nullptr) {
        return std::nullopt;
    }
    FileStatus status;
    status.length = static_cast<std::int64_t>(info.st_size);
    status.modified =
        LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    status.modifiedTicks = posix::nanosecondsOf(info.st_mtim);
    status.changeTicks = posix::nanosecondsOf(info.st_ctim);
    if (S_ISREG(info.st_mode)) {
        status.identity = posix::identityFrom(info);
    }
    return status;
}

} // namespace

FileLook lookAtFile(const std::string& path) {
    FileLook look;
    if (path.empty()) {
        return look;
    }
    makeLeaseBreakSignalHarmless();
    // The descriptor that asks for the lease also gives the status: one open,
    // one fstat and one close, besides the lease itself.
    UniqueFd fd = openForLease(path);
    struct stat info {};
    if (!fd) {
        const bool leasedByAnother = errno == EWOULDBLOCK;
        if (!statRegular(path, info)) {
            return look;
        }
        look.listed = true;
        look.heldByOtherProcess = leasedByAnother || posix::anyOtherProcessHolds(info.st_dev, info.st_ino);
        look.status = statusFrom(info);
        return look;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return look;
    }
    look.listed = true;
    look.heldByOtherProcess = heldByOtherProcess(fd.get(), info);
    look.status = statusFrom(info);
    return look;
}

bool isHeldOpenByOtherProcess(const std::string& path) {
    return lookAtFile(path).heldByOtherProcess;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return statusFrom(info);
}

} // namespace platform

namespace platform {

std::optional<DiskSpace> diskSpaceOf(const std::string& folder) {
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0) {
        return std::nullopt;
    }
    const auto blockSize = static_cast<std::int64_t>(volume.f_frsize);
    return DiskSpace{static_cast<std::int64_t>(volume.f_bavail) * blockSize,
                     static_cast<std::int64_t>(volume.f_blocks) * blockSize};
}

} // namespace platform
