// The copier letting Linux copy: holes kept, blocks shared where the file
// system shares them, and reads and writes where the kernel will not copy.

#include "copies/FileCopyClass.h"

#include "support/largeFile.h"
#include "support/posix/hungFileSystem.h"
#include "support/reserve.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

using testsupport::TempDir;

namespace {

constexpr std::int64_t kMiB = std::int64_t{1} << 20;

bool sameBytes(const std::string& a, const std::string& b) {
    std::FILE* left = std::fopen(a.c_str(), "rb");
    std::FILE* right = std::fopen(b.c_str(), "rb");
    bool same = left != nullptr && right != nullptr;
    std::string leftBlock(1 << 20, '\0');
    std::string rightBlock(1 << 20, '\0');
    while (same) {
        const auto got = std::fread(leftBlock.data(), 1, leftBlock.size(), left);
        same = std::fread(rightBlock.data(), 1, rightBlock.size(), right) == got &&
               leftBlock.compare(0, got, rightBlock, 0, got) == 0;
        if (got == 0) {
            break;
        }
    }
    for (std::FILE* file : {left, right}) {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    return same;
}

std::int64_t allocatedBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_blocks) * 512 : -1;
}

// A 64 MiB file holding a few blocks of data, and either data or a hole at its end.
bool writeSparseFile(const std::string& path, bool dataAtTheEnd) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = ::ftruncate(fd, 64 * kMiB) == 0;
    const std::string data(6000, 'd');
    for (const std::int64_t at : {std::int64_t{0}, 20 * kMiB + 123, 41 * kMiB, dataAtTheEnd ? 64 * kMiB - 6000 : 0}) {
        ok = ok && ::pwrite(fd, data.data(), data.size(), at) == static_cast<ssize_t>(data.size());
    }
    return ::close(fd) == 0 && ok;
}

TEST(KernelCopy, ASparseFileIsCopiedWithItsHoles) {
    TempDir dir;
    testsupport::Reserve reserve;
    for (const bool dataAtTheEnd : {true, false}) {
        SCOPED_TRACE(dataAtTheEnd);
        const auto source = dir.path("sparse.bin");
        ASSERT_TRUE(writeSparseFile(source, dataAtTheEnd));
        if (allocatedBytes(source) > kMiB) {
            GTEST_SKIP() << "this file system does not keep holes";
        }
        const auto destination = dir.path("copy.bin");
        FileCopyClass copier;
        // Room for its data, not for its length: its holes take no space.
        // Other programs (and tests) write meanwhile, so the room is measured
        // just before each try, and a refusal is tried again a few times.
        for (int tries = 0; tries < 3; ++tries) {
            const auto space = platform::diskSpaceOf(dir.path());
            ASSERT_TRUE(space);
            reserve.set(space->available - 48 * kMiB);
            copier.Copy(source, destination);
            if (copier.LastOutcome() != CopyOutcome::Failed) {
                break;
            }
        }
        ASSERT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        EXPECT_EQ(std::filesystem::file_size(destination), std::uintmax_t{64} << 20);
        EXPECT_TRUE(sameBytes(source, destination));
        EXPECT_LE(allocatedBytes(destination), kMiB);
        EXPECT_EQ(copier.PercentREady(), 100); // 64 MiB is a whole number of 64000-byte flushes
    }
}

// A FUSE file system does not copy into another one: the copier reads and
// writes, and its passes are the chunks'.
TEST(KernelCopy, ASourceTheKernelWillNotCopyIsReadAndWritten) {
    testsupport::HungFileSystem fs;
    if (fs.unavailable()) {
        GTEST_SKIP() << fs.whyNot();
    }
    ASSERT_TRUE(fs.mounted()) << fs.whyNot();
    std::string bytes(100000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = testsupport::patternByte(static_cast<std::int64_t>(i), 5);
    }
    const auto source = fs.writeBehind("source.bin", bytes);
    TempDir dir;
    const auto destination = dir.path("copy.bin");

    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(from, 0);
    ASSERT_GE(to, 0);
    EXPECT_LT(::copy_file_range(from, nullptr, to, nullptr, bytes.size(), 0), 0) << "the kernel copied after all";
    ::close(from);
    ::close(to);

    std::vector<std::int16_t> percents;
    FileCopyClass copier;
    copier.setPassHook([&] { percents.push_back(copier.PercentREady()); });
    copier.Copy(source, destination);
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
    EXPECT_EQ(testsupport::readFile(destination), bytes);
    EXPECT_EQ(percents, (std::vector<std::int16_t>{0, 64, 64, 64}));
}

// A small XFS with reflink on a loop device, for as long as the test runs.
class ReflinkVolume {
public:
    explicit ReflinkVolume(const TempDir& dir) : m_image(dir.path("xfs.img")), m_mountPoint(dir.path("xfs")) {
        if (::geteuid() != 0) {
            m_whyNot = "not root";
            return;
        }
        std::error_code error;
        std::filesystem::create_directory(m_mountPoint, error);
        const int image = ::open(m_image.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool sized = image >= 0 && ::ftruncate(image, 300 * kMiB) == 0;
        if (image >= 0) {
            ::close(image);
        }
        if (error || !sized || std::system(("mkfs.xfs -q -m reflink=1 " + m_image + " >/dev/null 2>&1").c_str()) != 0) {
            m_whyNot = "mkfs.xfs -m reflink=1 failed";
            return;
        }
        if (std::FILE* out = ::popen(("losetup --find --show " + m_image + " 2>/dev/null").c_str(), "r")) {
            char line[256] = {};
            if (std::fgets(line, sizeof line, out) != nullptr) {
                m_device = std::string(line);
                m_device.erase(m_device.find_last_not_of('\n') + 1);
            }
            ::pclose(out);
        }
        if (m_device.empty()) {
            m_whyNot = "no loop device";
            return;
        }
        m_mounted = ::mount(m_device.c_str(), m_mountPoint.c_str(), "xfs", 0, nullptr) == 0;
        if (!m_mounted) {
            m_whyNot = std::string("mounting XFS failed: ") + std::strerror(errno);
        }
    }
    ~ReflinkVolume() {
        if (m_mounted) {
            ::umount2(m_mountPoint.c_str(), MNT_DETACH);
        }
        if (!m_device.empty()) {
            std::system(("losetup -d " + m_device + " >/dev/null 2>&1").c_str());
        }
    }
    ReflinkVolume(const ReflinkVolume&) = delete;
    ReflinkVolume& operator=(const ReflinkVolume&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& whyNot() const { return m_whyNot; }
    std::string path(const std::string& name) const { return m_mountPoint + "/" + name; }
    std::int64_t freeBytes() const {
        ::sync();
        struct statvfs info {};
        return ::statvfs(m_mountPoint.c_str(), &info) == 0
                   ? static_cast<std::int64_t>(info.f_bfree) * static_cast<std::int64_t>(info.f_frsize)
                   : -1;
    }

private:
    std::string m_image;
    std::string m_mountPoint;
    std::string m_device;
    bool m_mounted = false;
    std::string m_whyNot;
};

TEST(KernelCopy, OnAVolumeThatSharesBlocksACopySharesThemAndTakesNoSpace) {
    TempDir dir;
    const ReflinkVolume volume(dir);
    if (!volume.mounted()) {
        GTEST_SKIP() << volume.whyNot();
    }
    const auto source = volume.path("current.bin");
    ASSERT_TRUE(testsupport::writePatternFile(source, 64 * kMiB, 6));
    std::filesystem::create_directory(volume.path("Copies"));
    const auto destination = volume.path("Copies/copy.bin");
    const auto freeBefore = volume.freeBytes();

    FileCopyClass copier;
    copier.Copy(source, destination);

    ASSERT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
    EXPECT_LT(freeBefore - volume.freeBytes(), kMiB);
    EXPECT_TRUE(testsupport::holdsPattern(destination, 64 * kMiB, 6));
    EXPECT_EQ(copier.PercentREady(), 100);
    EXPECT_EQ(copier.BytesWritten(), 64 * kMiB);
}

} // namespace
