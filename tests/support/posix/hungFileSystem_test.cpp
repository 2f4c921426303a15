// The hanging file system itself: it serves its backing folder, a blocked
// mount keeps its callers waiting until released, a caller's process can
// still be ended while it waits, and it is always unmounted afterwards.

#include "support/childProcess.h"
#include "support/posix/hungFileSystem.h"
#include "support/tempDir.h"
#include "support/waitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::waitFor;

TEST(HungFileSystem, ServesItsFolderAndHangsUntilReleased) {
    std::atomic<std::uintmax_t> size{0};
    std::atomic<bool> answered{false};
    // Joined, and killed, after the file system has been released.
    std::optional<std::jthread> caller;
    std::optional<testsupport::ChildProcess> holder;
    testsupport::TempDir markers;
    testsupport::HungFileSystem fs;
    if (fs.unavailable()) {
        GTEST_SKIP() << fs.whyNot();
    }
    ASSERT_TRUE(fs.mounted()) << fs.whyNot();
    {
        std::ofstream out(fs.path("written.txt"), std::ios::binary);
        out << "through the mount";
    }
    std::filesystem::rename(fs.path("written.txt"), fs.path("renamed.txt"));
    EXPECT_EQ(testsupport::readFile(fs.path("renamed.txt")), "through the mount");
    EXPECT_FALSE(std::filesystem::exists(fs.path("written.txt")));
    std::filesystem::resize_file(fs.path("renamed.txt"), 7);
    EXPECT_EQ(std::filesystem::file_size(fs.path("renamed.txt")), 7u);
    std::filesystem::remove(fs.path("renamed.txt"));
    const auto watched = fs.writeBehind("watched.txt", "12345");
    std::size_t names = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fs.mountPoint())) {
        EXPECT_EQ(entry.path().filename(), "watched.txt");
        ++names;
    }
    EXPECT_EQ(names, 1u);

    ASSERT_TRUE(fs.block());
    caller.emplace([watched, &size, &answered] {
        std::error_code error;
        size = std::filesystem::file_size(watched, error);
        answered = true;
    });
    ASSERT_TRUE(waitFor([&] { return fs.waitingRequests() >= 1; }, 5s));
    fs.writeBehind("watched.txt", "1234567890");
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(answered) << "a request answered while the file system was blocked";
    ASSERT_TRUE(fs.release());
    ASSERT_TRUE(waitFor([&] { return answered.load(); }, 5s));
    EXPECT_EQ(size, 10u) << "the request that waited sees the file as it is when released";
    EXPECT_EQ(fs.waitingRequests(), 0);

    // A process whose request hangs can still be ended.
    ASSERT_TRUE(fs.block());
    holder = testsupport::ChildProcess::start(
        {testsupport::helperProgram("holdopen"), "hold", watched, "r", markers.path("ready"), markers.path("release")});
    ASSERT_TRUE(holder.has_value());
    ASSERT_TRUE(waitFor([&] { return fs.waitingRequests() >= 1; }, 5s));
    holder->signal(SIGKILL);
    EXPECT_TRUE(holder->waitFor(5s).has_value()) << "a process hanging on the mount could not be killed";
    EXPECT_TRUE(waitFor([&] { return fs.waitingRequests() == 0; }, 5s)) << "the killed request still waits";
}

TEST(HungFileSystem, IsReleasedAndUnmountedWhenDestroyedWhileHanging) {
    std::atomic<bool> answered{false};
    std::optional<std::jthread> caller;
    std::string mountPoint;
    {
        testsupport::HungFileSystem fs;
        if (fs.unavailable()) {
            GTEST_SKIP() << fs.whyNot();
        }
        ASSERT_TRUE(fs.mounted()) << fs.whyNot();
        mountPoint = fs.mountPoint();
        const auto watched = fs.writeBehind("watched.txt", "x");
        ASSERT_TRUE(fs.block());
        caller.emplace([watched, &answered] {
            std::error_code error;
            [[maybe_unused]] const auto size = std::filesystem::file_size(watched, error);
            answered = true;
        });
        ASSERT_TRUE(waitFor([&] { return fs.waitingRequests() >= 1; }, 5s));
    }
    EXPECT_TRUE(waitFor([&] { return answered.load(); }, 5s)) << "the waiting request was not released";
    EXPECT_FALSE(std::filesystem::exists(mountPoint)) << "the mount point is left behind";
    EXPECT_EQ(testsupport::readFile("/proc/self/mountinfo").find(mountPoint), std::string::npos) << "still mounted";
}

} // namespace
