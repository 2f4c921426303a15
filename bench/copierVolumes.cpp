// The copies that should cost next to nothing: a clone on XFS with reflink,
// and a sparse file whose holes stay holes.

#include "copierBench.h"

#include "copies/FileCopyClass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

namespace copierbench {

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 5;
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// An XFS file system with reflink in a sparse image file, mounted on a loop
// device; unmounted and removed again when it goes, however the bench ended.
class XfsVolume {
public:
    explicit XfsVolume(const fs::path& folder) : m_image(folder / "xfs.img"), m_mountPoint(folder / "xfs") {}
    ~XfsVolume() {
        std::error_code ignored;
        if (m_mounted && run({"umount", m_mountPoint.string()}).status != 0) {
            // Something still holds it: it goes once that lets go.
            run({"umount", "--lazy", m_mountPoint.string()});
        }
        fs::remove(m_mountPoint, ignored);
        fs::remove(m_image, ignored);
    }
    XfsVolume(const XfsVolume&) = delete;
    XfsVolume& operator=(const XfsVolume&) = delete;

    // Why it could not be made; empty once it is mounted.
    std::optional<std::string> make(std::int64_t bytes) {
        if (::geteuid() != 0) {
            return "not root: mounting a loop device needs root";
        }
        {
            const int fd = ::open(m_image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            const bool sized = fd >= 0 && ::ftruncate(fd, bytes) == 0;
            if (fd >= 0) {
                ::close(fd);
            }
            if (!sized) {
                return "the image file could not be made";
            }
        }
        const auto made = run({"mkfs.xfs", "-q", "-m", "reflink=1", m_image.string()});
        if (made.status != 0) {
            return joined({"mkfs.xfs failed: ", firstLine(made)});
        }
        std::error_code error;
        fs::create_directory(m_mountPoint, error);
        const auto mounted = run({"mount", "-o", "loop", m_image.string(), m_mountPoint.string()});
        if (mounted.status != 0) {
            return joined({"mount failed: ", firstLine(mounted)});
        }
        m_mounted = true;
        return std::nullopt;
    }

    const fs::path& mountPoint() const { return m_mountPoint; }

private:
    fs::path m_image;
    fs::path m_mountPoint;
    bool m_mounted = false;
};

// Free bytes of the file system `path` is on, or -1.
std::int64_t freeBytes(const fs::path& path) {
    struct statvfs space {};
    if (::statvfs(path.c_str(), &space) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(space.f_bfree) * static_cast<std::int64_t>(space.f_frsize);
}

// Copies `source` to `destination` with a copier of its own; the seconds it
// took, or empty (and a line saying why) when the copy failed.
std::optional<double> timedCopy(const char* figure, const std::string& source, const std::string& destination) {
    FileCopyClass copier;
    const auto start = std::chrono::steady_clock::now();
    copier.Copy(source, destination);
    const double seconds = secondsSince(start);
    if (copier.LastOutcome() != CopyOutcome::Copied) {
        skipped(figure,
                joined({"the copy failed: ", copier.LastError() ? copier.LastError()->text() : "no reason given"}));
        return std::nullopt;
    }
    return seconds;
}

} // namespace

void reflinkCopy(const fs::path& folder) {
    const char* figure = "1 GiB copy on XFS with reflink";
    XfsVolume volume(folder);
    if (const auto why = volume.make(3 * kGiB)) {
        skipped(figure, *why);
        return;
    }
    const auto source = (volume.mountPoint() / "current.bin").string();
    if (!writeData(source, kGiB)) {
        skipped(figure, "the source could not be written");
        return;
    }
    std::vector<double> seconds;
    std::vector<double> taken;
    for (int round = 0; round < kRounds; ++round) {
        flushFileSystem(volume.mountPoint());
        const auto before = freeBytes(volume.mountPoint());
        const auto copy =
            timedCopy(figure, source, (volume.mountPoint() / joined({"copy ", std::to_string(round)})).string());
        if (!copy) {
            return;
        }
        seconds.push_back(*copy);
        taken.push_back(static_cast<double>(before - freeBytes(volume.mountPoint())));
    }
    std::printf("%s (a 3 GiB image on a loop device), %d rounds, medians: %.1f ms (target at most 50 ms), "
                "%.0f KiB of free space taken (target at most 1024 KiB)\n",
                figure, kRounds, median(seconds) * 1e3, median(taken) / 1024);
}

void sparseCopy(const fs::path& folder) {
    const char* figure = "3 GiB sparse file, 18 bytes of data";
    const fs::path place = folder / "sparse";
    std::error_code ignored;
    fs::create_directory(place, ignored);
    const auto source = (place / "current.bin").string();
    const std::string data = "one block of data\n";
    const std::int64_t at = 3 * kGiB / 2;
    const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && ::ftruncate(fd, 3 * kGiB) == 0 &&
                         ::pwrite(fd, data.data(), data.size(), at) == static_cast<ssize_t>(data.size()) &&
                         ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    std::vector<double> seconds;
    std::vector<double> blocks;
    for (int round = 0; written && round < kRounds; ++round) {
        const auto destination = (place / joined({"copy ", std::to_string(round)})).string();
        const auto copy = timedCopy(figure, source, destination);
        if (!copy) {
            break;
        }
        // A copy that lost its data would take no space: its bytes are checked too.
        struct stat info {};
        std::string back(data.size(), '\0');
        const int in = ::open(destination.c_str(), O_RDONLY | O_CLOEXEC);
        const bool same = in >= 0 && ::fstat(in, &info) == 0 && info.st_size == 3 * kGiB &&
                          ::pread(in, back.data(), back.size(), at) == static_cast<ssize_t>(back.size()) &&
                          back == data;
        if (in >= 0) {
            ::close(in);
        }
        if (!same) {
            skipped(figure, "the copy does not hold the file's bytes");
            break;
        }
        seconds.push_back(*copy);
        blocks.push_back(static_cast<double>(info.st_blocks) * 512);
    }
    if (!written) {
        skipped(figure, "the source could not be written");
    } else if (seconds.size() == kRounds) {
        std::printf("%s, on %s, %d rounds, medians: %.1f ms (target at most 500 ms), the copy takes %.0f KiB on the "
                    "disk (target at most 1024 KiB)\n",
                    figure, fileSystemType(place).c_str(), kRounds, median(seconds) * 1e3, median(blocks) / 1024);
    }
    fs::remove_all(place, ignored);
}

} // namespace copierbench
