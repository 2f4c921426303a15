// Destinations that fail for want of space, with the real errors Linux gives.

#include "copies/FileCopyClass.h"

#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

TEST(CopierPosix, AFullDeviceFailsTheCopyAndIsNeverRemoved) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{100}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        const auto source = dir.write("source.bin", std::string(size, 'x'));
        FileCopyClass copier;
        copier.Copy(source, "/dev/full");
        EXPECT_FALSE(copier.Sucessfull());
        struct stat info {};
        ASSERT_EQ(::stat("/dev/full", &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
}

// A file size limit makes write() fail with EFBIG once the destination
// reaches it, as a nearly full disk would. The limit is set in a child
// process so that it binds nothing else; the exit code reports the outcome.
TEST(CopierPosix, ADestinationThatFailsAfterSomeBytesIsRemoved) {
    TempDir dir;
    const std::string bytes(100000, 'y');
    const auto source = dir.write("source.bin", bytes);
    const auto destination = dir.path("copy.bin");
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
            copier.setYield([&] {
                std::error_code error;
                largest = std::max(largest, static_cast<std::int64_t>(std::filesystem::file_size(destination, error)));
            });
            copier.Copy(source, destination);
            if (copier.Sucessfull()) {
                ::_exit(11);
            }
            if (std::filesystem::exists(destination)) {
                ::_exit(12);
            }
            ::_exit(largest == (limit > 64000 ? 64000 : 0) ? 0 : 13);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(readFile(source), bytes);
    }
}

} // namespace
