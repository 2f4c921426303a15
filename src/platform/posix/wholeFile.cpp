#include "platform/wholeFile.h"

#include "platform/posix/uniqueFd.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Write permission as the process has it, and also as the mode bits say:
// a file or folder with no write bit at all is treated as protected even for
// root, who could otherwise write anywhere.
bool mayWrite(const std::string& path, const struct stat& info) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// The file a path finally names: symbolic links resolved, so that a linked
// settings file is updated rather than replaced by a plain file.
std::string resolvedTarget(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

// Removes the temporary file unless it has been renamed into place.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path) : m_path(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    void keep() { m_path.clear(); }

private:
    std::string m_path;
};

// Rewrites the file itself: for a file that may be written in a folder that
// takes no new file, as the Windows profile functions write every file. A
// failure halfway leaves the new content in it only up to where it stopped.
bool rewriteInPlace(const std::string& target, std::string_view bytes) {
    UniqueFd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    return fd && writeAll(fd.get(), bytes) && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 &&
           ::fsync(fd.get()) == 0 && ::close(fd.release()) == 0;
}

} // namespace

WholeFile readWholeFile(const std::string& path) {
    WholeFile result;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) {
        result.status = errno == ENOENT || errno == ENOTDIR ? WholeFile::Status::Missing : WholeFile::Status::Failed;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return result;
    }
    char buffer[16384];
    for (;;) {
        const auto got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.bytes.clear();
            return result;
        }
        if (got == 0) {
            break;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    result.status = WholeFile::Status::Read;
    return result;
}

bool replaceWholeFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const auto target = resolvedTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || !mayWrite(target, old))) {
        return false;
    }
    const auto slash = target.rfind('/');
    const auto folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) {
        return false;
    }
    if (!mayWrite(folder, folderInfo)) {
        return exists && rewriteInPlace(target, bytes);
    }

    // A hidden name beside the target, unique within this process and across processes.
    static std::atomic<unsigned> counter{0};
    const auto name = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto tempPath = folder + (folder.back() == '/' ? "" : "/") + "." + name + ".tmp" +
                          std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // 0666 lets the umask decide for a new file; an existing file's mode is copied below.
    UniqueFd fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!fd) {
        // Refused by what the mode bits do not show (an access control list, a
        // security module): a file the folder will not take a sibling of.
        return exists && (errno == EACCES || errno == EPERM) && rewriteInPlace(target, bytes);
    }
    TempFileGuard guard(tempPath);
    if (exists) {
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) {
            return false;
        }
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            // Only a privileged process can hand the file back to its owner; otherwise it stays ours.
            [[maybe_unused]] const auto ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
        }
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
        return false;
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        return false;
    }
    guard.keep();
    // Make the rename itself durable; failing here loses nothing that was there before.
    UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd) {
        ::fsync(folderFd.get());
    }
    return true;
}

} // namespace platform
