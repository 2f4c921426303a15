// The copier against what Linux does to files: versions replaced and deleted
// while they are copied, permissions, other processes holding the source,
// and destinations that run out of space or refuse writing.

#include "copies/FileCopyClass.h"

#include "platform/files.h"
#include "support/fileHolder.h"
#include "support/folderContents.h"
#include "support/largeFile.h"
#include "support/posix/smallVolume.h"
#include "support/reserve.h"
#include "support/tempDir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::folderContents;
using testsupport::TempDir;
using Contents = std::map<std::string, std::string>;

namespace {

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// The copy holds its source open from start to end: the version it began
// with is the one it keeps, whatever becomes of the name meanwhile.
TEST(CopierPosix, AVersionReplacedOrDeletedDuringItsCopyIsStillCopiedWhole) {
    struct Case {
        const char* name;
        std::int64_t size;
        std::function<void(const TempDir&, const std::string&)> change;
    };
    const Case cases[] = {
        {"a new version renamed over it", std::int64_t{200} << 20,
         [](const TempDir& dir, const std::string& source) {
             const auto newer = dir.path("newer.bin");
             ASSERT_TRUE(testsupport::writePatternFile(newer, 1 << 20, 2));
             std::filesystem::rename(newer, source);
         }},
        {"deleted", std::int64_t{24} << 20,
         [](const TempDir&, const std::string& source) { std::filesystem::remove(source); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.fsPath() / "Copies");
        const auto source = dir.path("current.bin");
        const auto destination = dir.path("Copies/copy.bin");
        ASSERT_TRUE(testsupport::writePatternFile(source, c.size, 1));
        int pass = 0;
        FileCopyClass copier;
        copier.setPassHook([&] {
            if (++pass == 2) {
                c.change(dir, source);
            }
        });
        copier.Copy(source, destination);
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        EXPECT_EQ(namesIn(dir.fsPath() / "Copies"), std::vector<std::string>{"copy.bin"});
        EXPECT_TRUE(testsupport::holdsPattern(destination, c.size, 1));
    }
}

TEST(CopierPosix, ACopyIsNoMoreReadableThanItsSource) {
    TempDir dir;
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0755}}) {
        SCOPED_TRACE(mode);
        for (const std::size_t size : {std::size_t{100}, std::size_t{100000}}) {
            const auto source = dir.write("private.bin", std::string(size, 'p'));
            ASSERT_EQ(::chmod(source.c_str(), mode), 0);
            const auto destination = dir.path("copy " + std::to_string(mode) + " " + std::to_string(size) + ".bin");
            FileCopyClass copier;
            copier.Copy(source, destination);
            ASSERT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
            struct stat info {};
            ASSERT_EQ(::stat(destination.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777 & ~(mode & 0666), 0U);
        }
    }
}

// The lease the probe takes fails for the copy's own descriptor too; only
// descriptors of other processes may make the file read as "Open".
TEST(CopierPosix, TheProbeSeesOtherProcessesHoldingTheSourceButNeverTheCopy) {
    TempDir dir;
    const auto source = dir.write("current.bin", std::string(100000, 's'));
    for (const bool otherHolder : {false, true}) {
        SCOPED_TRACE(otherHolder);
        std::optional<testsupport::FileHolder> holder;
        if (otherHolder) {
            holder.emplace(source, "r");
            ASSERT_TRUE(holder->holding());
        }
        std::vector<bool> seen;
        FileCopyClass copier;
        copier.setPassHook([&] { seen.push_back(platform::isHeldOpenByOtherProcess(source)); });
        copier.Copy(source, dir.path("copy.bin"));
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        EXPECT_FALSE(seen.empty());
        EXPECT_EQ(seen, std::vector<bool>(seen.size(), otherHolder));
    }
}

// The pages of a file not yet on the disk (cachestat, Linux 6.5): dirty ones
// and those being written back; nullopt where the kernel does not tell.
std::optional<std::uint64_t> pagesNotOnDisk(const std::string& path) {
    struct {
        std::uint64_t offset = 0, length = 0; // the whole file
    } range;
    struct {
        std::uint64_t cached, dirty, writeback, evicted, recentlyEvicted;
    } pages{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const long asked = fd < 0 ? -1 : ::syscall(451 /* cachestat */, fd, &range, &pages, 0);
    if (fd >= 0) {
        ::close(fd);
    }
    return asked == 0 ? std::optional(pages.dirty + pages.writeback) : std::nullopt;
}

// A copy is on the disk before it takes its name, so that a crash can never
// leave a copy under its name that is not whole.
TEST(CopierPosix, ACopyIsOnTheDiskWhenItTakesItsName) {
    TempDir dir;
    const auto source = dir.path("source.bin");
    ASSERT_TRUE(testsupport::writePatternFile(source, 256 << 10, 4));
    const auto written = pagesNotOnDisk(source);
    if (!written || *written == 0) {
        GTEST_SKIP() << "the kernel does not tell which pages are on the disk, or writes them at once";
    }
    {
        const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::fsync(fd), 0);
        ::close(fd);
    }
    if (pagesNotOnDisk(source) != 0u) {
        GTEST_SKIP() << "this file system keeps pages in memory however it is synced (tmpfs)";
    }
    FileCopyClass copier;
    copier.Copy(source, dir.path("copy.bin"));
    ASSERT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
    EXPECT_EQ(pagesNotOnDisk(dir.path("copy.bin")), 0u);
}

TEST(CopierPosix, ADeviceUnderTheDestinationsNameIsNeverReplaced) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{100}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        const auto source = dir.write("source.bin", std::string(size, 'x'));
        FileCopyClass copier;
        copier.Copy(source, "/dev/full");
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
        EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::PathFileAccessError);
        struct stat info {};
        ASSERT_EQ(::stat("/dev/full", &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
        EXPECT_TRUE(testsupport::unfinishedCopiesIn("/dev").empty());
    }
}

// A file system that runs out of space: the copy fails with Disk full, and
// the older file under the name (here the log's viewing copy) stays as it was.
TEST(CopierPosix, AFullFileSystemFailsWithDiskFullAndKeepsTheOlderFile) {
    TempDir dir;
    const auto small = dir.fsPath() / "small";
    const auto volume = testsupport::SmallVolume::mount(small, "size=1m");
    if (!volume) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    const testsupport::Reserve none(0); // the file system's own refusal, not the program's
    std::ofstream(small / "LogTemp.csv") << "older copy";
    const auto source = dir.path("Log.csv");
    ASSERT_TRUE(testsupport::writePatternFile(source, 4 << 20, 3));
    for (const std::int32_t cacheSize : {0, 8 << 20}) {
        SCOPED_TRACE(cacheSize);
        FileCopyClass copier;
        copier.CacheSize(cacheSize);
        copier.Copy(source, testsupport::utf8(small / "LogTemp.csv"));
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
        EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::DiskFull);
        EXPECT_EQ(folderContents(small), (Contents{{"LogTemp.csv", "older copy"}}));
    }
}

// With the reserve at 12 of 16 MiB: a copy that would cross it is not made
// and leaves nothing, a small one is.
TEST(CopierPosix, CopiesKeepTheReserveFreeOnTheirVolume) {
    TempDir dir;
    const auto small = dir.fsPath() / "small";
    const auto volume = testsupport::SmallVolume::mount(small, "size=16m");
    if (!volume) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    const testsupport::Reserve reserve(12 << 20);
    const auto destination = testsupport::utf8(small / "copy.bin");
    std::ofstream(small / "copy.bin") << "older copy";
    FileCopyClass copier;
    const auto large = dir.path("large.bin");
    ASSERT_TRUE(testsupport::writePatternFile(large, 6 << 20, 1));
    copier.Copy(large, destination);
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
    EXPECT_EQ(copier.LastError().value_or(RtError{}).text(), "61 - not enough free space: 15 MB free, 12 MB kept free");
    EXPECT_EQ(folderContents(small), (Contents{{"copy.bin", "older copy"}}));

    const auto smallFile = dir.path("small.bin");
    ASSERT_TRUE(testsupport::writePatternFile(smallFile, 1 << 20, 2));
    copier.Copy(smallFile, destination);
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
    EXPECT_EQ(std::filesystem::file_size(small / "copy.bin"), 1u << 20);
}

// A file size limit makes write() fail with EFBIG once the unfinished copy
// reaches it, as a nearly full disk would. The limit is set in a child
// process so that it binds nothing else; the exit code reports the outcome.
TEST(CopierPosix, ADestinationThatFailsAfterSomeBytesLeavesNothing) {
    TempDir dir;
    const std::string bytes(100000, 'y');
    const auto source = dir.write("source.bin", bytes);
    const auto copies = dir.fsPath() / "Copies";
    std::filesystem::create_directory(copies);
    const auto destination = testsupport::utf8(copies / "copy.bin");
    for (const rlim_t limit : {rlim_t{70000}, rlim_t{1000}}) {
        SCOPED_TRACE(limit);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fileSize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
                ::_exit(10);
            }
            std::int64_t largest = 0;
            FileCopyClass copier;
            copier.setPassHook([&] { largest = std::max(largest, copier.BytesWritten()); });
            copier.Copy(source, destination);
            if (copier.LastOutcome() != CopyOutcome::Failed ||
                copier.LastError().value_or(RtError{}).number != rterr::DiskFull) {
                ::_exit(11);
            }
            if (!std::filesystem::is_empty(copies)) {
                ::_exit(12);
            }
            ::_exit(largest <= static_cast<std::int64_t>(limit) ? 0 : 13);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(testsupport::readFile(source), bytes);
    }
}

TEST(CopierPosix, AFolderThatCannotBeWrittenFailsWithPermissionDenied) {
    TempDir dir;
    const auto source = dir.write("source.bin", std::string(100000, 'w'));
    const auto copies = dir.fsPath() / "Copies";
    std::filesystem::create_directory(copies);
    std::ofstream(copies / "copy.bin") << "older copy";
    std::filesystem::permissions(copies, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    FileCopyClass copier;
    testsupport::runUnprivileged([&] { copier.Copy(source, testsupport::utf8(copies / "copy.bin")); });
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
    EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::PermissionDenied);
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}}));
}

// A kernel attribute file that lists a length but answers every read with
// EIO: a real read error, where the machine has one.
TEST(CopierPosix, AReadErrorFailsTheCopyWithItsReason) {
    const std::string source = "/sys/devices/system/cpu/power/autosuspend_delay_ms";
    char probe[16];
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const bool failsWithEio = fd >= 0 && ::read(fd, probe, sizeof probe) < 0 && errno == EIO;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!failsWithEio) {
        GTEST_SKIP() << "no attribute file that fails reads here";
    }
    TempDir dir;
    for (const std::int32_t cacheSize : {0, 1000}) {
        SCOPED_TRACE(cacheSize);
        FileCopyClass copier;
        copier.CacheSize(cacheSize);
        copier.Copy(source, dir.path("copy.bin"));
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
        EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::DeviceIoError);
        EXPECT_TRUE(folderContents(dir.fsPath()).empty());
    }
}

} // namespace
