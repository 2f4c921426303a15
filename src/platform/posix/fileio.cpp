#include "platform/fileio.h"

#include "platform/errors.h"
#include "platform/posix/statInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

IoError lastError() {
    return platform::lastRtError();
}

} // namespace

void File::discard() noexcept {
    if (m_native != kClosed) {
        ::close(static_cast<int>(m_native));
        m_native = kClosed;
    }
}

namespace {

IoError openInto(std::intptr_t& native, const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return lastError();
    }
    native = fd;
    return std::nullopt;
}

} // namespace

IoError File::openForRead(const std::string& path) {
    discard();
    return openInto(m_native, path, O_RDONLY);
}

IoError File::createForWrite(const std::string& path) {
    discard();
    return openInto(m_native, path, O_WRONLY | O_CREAT | O_TRUNC);
}

IoError File::openForWrite(const std::string& path) {
    discard();
    return openInto(m_native, path, O_WRONLY);
}

IoError File::openForAppend(const std::string& path) {
    discard();
    return openInto(m_native, path, O_WRONLY | O_CREAT | O_APPEND);
}

IoError File::createNew(const std::string& path, const File& permissionsOf) {
    discard();
    struct stat info {};
    if (::fstat(static_cast<int>(permissionsOf.m_native), &info) != 0) {
        return lastError();
    }
    // The mode only takes bits away from the umask's result, never adds any;
    // execute bits are no business of a copy.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, info.st_mode & 0666);
    if (fd < 0) {
        return lastError();
    }
    m_native = fd;
    return std::nullopt;
}

IoError File::length(std::int64_t& bytes) const {
    struct stat info {};
    if (::fstat(static_cast<int>(m_native), &info) != 0) {
        return lastError();
    }
    bytes = static_cast<std::int64_t>(info.st_size);
    return std::nullopt;
}

IoError File::spaceTaken(std::int64_t& bytes) const {
    struct stat info {};
    if (::fstat(static_cast<int>(m_native), &info) != 0) {
        return lastError();
    }
    bytes = static_cast<std::int64_t>(info.st_blocks) * 512; // st_blocks counts 512-byte units everywhere
    return std::nullopt;
}

IoError File::seek(std::int64_t offset) {
    if (::lseek(static_cast<int>(m_native), static_cast<off_t>(offset), SEEK_SET) < 0) {
        return lastError();
    }
    return std::nullopt;
}

IoError File::read(char* buffer, std::int64_t size, std::int64_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(static_cast<int>(m_native), buffer + got, static_cast<std::size_t>(size - got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    return std::nullopt;
}

IoError File::write(const char* bytes, std::int64_t size) {
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(static_cast<int>(m_native), bytes + done, static_cast<std::size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        done += n;
    }
    return std::nullopt;
}

IoError File::resize(std::int64_t bytes) {
    if (::ftruncate(static_cast<int>(m_native), static_cast<off_t>(bytes)) != 0) {
        return lastError();
    }
    return std::nullopt;
}

IoError File::flush() {
    while (::fsync(static_cast<int>(m_native)) != 0) {
        if (errno != EINTR) {
            return lastError();
        }
    }
    return std::nullopt;
}

void File::startFlush() noexcept {
    // Failures show again, and are reported, at flush().
    ::sync_file_range(static_cast<int>(m_native), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool File::cloneFrom(const File& source) noexcept {
    return ::ioctl(static_cast<int>(m_native), FICLONE, static_cast<int>(source.m_native)) == 0;
}

bool File::cloneRangeFrom(const File&, std::int64_t, std::int64_t, std::int64_t, std::int64_t&) noexcept {
    // The copier holds its source open here and clones it whole (cloneFrom);
    // pieces are for where it lets go of the source between them.
    return false;
}

ByteRange File::nextData(std::int64_t offset, std::int64_t end) const noexcept {
    const int fd = static_cast<int>(m_native);
    off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO) {
            return {end, end}; // nothing but a hole up to the end
        }
        data = static_cast<off_t>(offset); // a file system that tells no holes: all data
    }
    if (data >= end) {
        return {end, end};
    }
    off_t hole = ::lseek(fd, data, SEEK_HOLE);
    if (hole < 0 || hole > end) {
        hole = static_cast<off_t>(end);
    }
    return {data, hole};
}

IoError File::growWithHole(std::int64_t bytes) {
    return resize(bytes);
}

namespace {

// What copy_file_range answers when it does not copy between two files at
// all, as opposed to a copy that went wrong: another file system (EXDEV),
// one that does not offer it (FUSE, many network file systems), a kernel
// without it, or a sandbox that forbids it.
bool refusesKernelCopy(int error) {
    return error == EXDEV || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS || error == EINVAL ||
           error == EPERM;
}

} // namespace

IoError File::copyFrom(const File& source, std::int64_t offset, std::int64_t end, std::int64_t most, std::int64_t& next,
                       bool& refused) {
    refused = false;
    const ByteRange data = source.nextData(offset, end);
    next = data.begin;
    if (data.begin >= end) {
        return std::nullopt;
    }
    loff_t in = data.begin;
    loff_t out = data.begin;
    const auto size = static_cast<std::size_t>(std::min(data.end - data.begin, most));
    ssize_t n = 0;
    do {
        n = ::copy_file_range(static_cast<int>(source.m_native), &in, static_cast<int>(m_native), &out, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        refused = refusesKernelCopy(errno);
        return lastError();
    }
    refused = n == 0; // shorter than its length, or a file system that copies nothing
    next = data.begin + n;
    return std::nullopt;
}

std::optional<FileIdentity> File::identity() const {
    struct stat info {};
    if (m_native == kClosed || ::fstat(static_cast<int>(m_native), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return posix::identityFrom(info);
}

std::optional<std::int64_t> File::changeTicks() const {
    struct stat info {};
    if (m_native == kClosed || ::fstat(static_cast<int>(m_native), &info) != 0) {
        return std::nullopt;
    }
    return posix::nanosecondsOf(info.st_ctim);
}

IoError File::close() {
    if (m_native == kClosed) {
        return std::nullopt;
    }
    // The descriptor is gone after close() whatever it answers, EINTR included.
    const int fd = static_cast<int>(std::exchange(m_native, kClosed));
    if (::close(fd) != 0 && errno != EINTR) {
        return lastError();
    }
    return std::nullopt;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return posix::identityFrom(info);
}

IoError removeFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return rtErrorFromOs(EISDIR);
    }
    if (::unlink(path.c_str()) != 0) {
        return lastError();
    }
    return std::nullopt;
}

IoError replaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return lastError();
    }
    // The rename lives in the folder: it is on the disk once the folder is.
    // The file itself is complete under its new name whatever happens here,
    // so a folder that cannot be synced (some network file systems) costs
    // nothing but that guarantee.
    const auto slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        while (::fsync(fd) != 0 && errno == EINTR) {
        }
        ::close(fd);
    }
    return std::nullopt;
}

const bool kOpenFilesBlockOtherPrograms = false;

std::string textFileBytes(std::string_view utf8) {
    return std::string(utf8);
}

} // namespace platform
