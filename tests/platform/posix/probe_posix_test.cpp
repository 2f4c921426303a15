// The file probe on Linux: links, dot-files and special files, the /proc scan
// behind refused leases, and the lease-break signal.

#include "common/modKorvel.h"
#include "platform/posix/openFileScan.h"
#include "support/childProcess.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"
#include "watch/modSentrel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

using namespace modSentrel;
using testsupport::FileHolder;
using testsupport::TempDir;

namespace {

class PosixProbe : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(PosixProbe, LinksAreFollowedAndOnlyRegularFilesExist) {
    const auto target = dir.write("target.csv", "x");
    std::filesystem::create_symlink(dir.fsPath() / "target.csv", dir.fsPath() / "link.csv");
    std::filesystem::create_symlink(dir.fsPath() / "gone.csv", dir.fsPath() / "broken.csv");
    ASSERT_EQ(::mkfifo(dir.path("pipe").c_str(), 0600), 0);

    EXPECT_TRUE(modKorvel::FileExists(dir.path("link.csv")));
    EXPECT_EQ(GetFileState(dir.path("link.csv")), fsFree);
    EXPECT_FALSE(modKorvel::FileExists(dir.path("broken.csv")));
    EXPECT_EQ(GetFileState(dir.path("broken.csv")), fsNoFile);
    EXPECT_EQ(GetFileState(dir.path("pipe")), fsNoFile);
    EXPECT_FALSE(IsFileLocked(dir.path("pipe"))) << "must not block on a FIFO";
    EXPECT_EQ(GetFileState("/dev/null"), fsNoFile);

    // Linux has no hidden attribute: a dot-file is an ordinary file.
    const auto dotFile = dir.write(".hidden.csv", "x");
    EXPECT_TRUE(modKorvel::FileExists(dotFile));
    EXPECT_EQ(GetFileState(dotFile), fsFree);

    FileHolder holder(target, "r");
    ASSERT_TRUE(holder.holding());
    EXPECT_EQ(GetFileState(dir.path("link.csv")), fsOpen) << "the link's target is held";
}

TEST_F(PosixProbe, ProcScanSeesOtherProcessesButNotThisOne) {
    const auto file = dir.write("scan.csv", "x");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);

    // A descriptor of this very process does not count.
    const int own = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    EXPECT_FALSE(platform::posix::anyOtherProcessHolds(info.st_dev, info.st_ino));
    ::close(own);

    FileHolder holder(file, "r");
    ASSERT_TRUE(holder.holding());
    EXPECT_TRUE(platform::posix::anyOtherProcessHolds(info.st_dev, info.st_ino));
    EXPECT_EQ(holder.release(), 0);
    EXPECT_FALSE(platform::posix::anyOtherProcessHolds(info.st_dev, info.st_ino));
}

// Runs `body` in a forked child under an unprivileged user and returns its exit code.
template <typename Body>
int runAsNobody(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(PosixProbe, FileOfAnotherOwnerIsProbedByScanningWhenTheLeaseIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as two users";
    }
    // The file belongs to root; the prober and the holder run as "nobody",
    // who may read it but gets no lease on it.
    std::filesystem::permissions(dir.fsPath(), std::filesystem::perms::all);
    const auto file = dir.write("other-owner.csv", "x");
    std::filesystem::permissions(dir.fsPath() / "other-owner.csv", std::filesystem::perms::owner_all |
                                                                       std::filesystem::perms::group_read |
                                                                       std::filesystem::perms::others_read);
    const auto probe = [&] { return static_cast<int>(GetFileState(file)); };
    EXPECT_EQ(runAsNobody(probe), fsFree);

    const auto ready = dir.path("ready");
    const pid_t holder = ::fork();
    if (holder == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        const auto program = testsupport::helperProgram("holdopen");
        const auto release = dir.path("release");
        ::execl(program.c_str(), program.c_str(), "hold", file.c_str(), "r", ready.c_str(), release.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(101);
    }
    ASSERT_TRUE(testsupport::waitForFile(ready, 60));
    EXPECT_EQ(runAsNobody(probe), fsOpen);
    dir.write("release", "");
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_EQ(runAsNobody(probe), fsFree);
}

TEST_F(PosixProbe, OpenersRacingTheProbeNeitherKillItNorGetStuck) {
    // Another process opening the file while the probe holds its lease makes
    // the kernel signal the probe (SIGIO, fatal by default) and wait for it.
    const auto file = dir.write("busy.csv", "x");
    auto churn = testsupport::ChildProcess::start({testsupport::helperProgram("holdopen"), "churn", file, "20000"});
    ASSERT_TRUE(churn.has_value());
    int open = 0;
    int free = 0;
    for (int i = 0; i < 20000; ++i) {
        (GetFileState(file) == fsOpen ? open : free)++;
    }
    EXPECT_EQ(churn->wait(), 0);
    EXPECT_EQ(open + free, 20000);
    EXPECT_EQ(GetFileState(file), fsFree);
}

} // namespace
