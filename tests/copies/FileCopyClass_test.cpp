#include "copies/FileCopyClass.h"

#include "common/modKorvel.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"
#include "watch/modSentrel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

// Bytes that differ from chunk to chunk, so a misplaced chunk shows.
std::string pattern(std::size_t size, unsigned seed = 0) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 1000 + seed) & 0xff);
    }
    return bytes;
}

std::filesystem::path native(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

void appendTo(const std::string& path, std::string_view bytes) {
    std::ofstream out(native(path), std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class CopierTest : public ::testing::Test {
protected:
    // What the copier published at each yield, and how much of the copy was on disk.
    struct Pass {
        std::int16_t percent;
        std::int64_t written;
        bool operator==(const Pass&) const = default;
    };

    void recordPasses() {
        copier.setYield([this] {
            std::error_code error;
            const auto size = std::filesystem::file_size(dir.fsPath() / "copy.bin", error);
            passes.push_back({copier.PercentREady(), error ? -1 : static_cast<std::int64_t>(size)});
        });
    }

    TempDir dir;
    FileCopyClass copier;
    std::string source = dir.path("source.bin");
    std::string destination = dir.path("copy.bin");
    std::vector<Pass> passes;
};

TEST_F(CopierTest, ChunkBoundariesPublishProgressFromBytesWritten) {
    struct Case {
        std::size_t size;
        std::vector<Pass> passes;
        std::int16_t finalPercent;
    };
    // 7 stands for a value left by an earlier copy.
    const Case cases[] = {
        {0, {}, 7},
        {31999, {}, 7},
        {32000, {{0, 0}}, 0},
        {64000, {{0, 0}, {100, 64000}}, 100},
        {100000, {{0, 0}, {64, 64000}, {64, 64000}, {64, 64000}}, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const auto bytes = pattern(c.size);
        dir.write("source.bin", bytes);
        copier.PercentREady(7);
        copier.Sucessfull(false);
        passes.clear();
        recordPasses();

        copier.Copy(source, destination);

        EXPECT_TRUE(copier.Sucessfull());
        EXPECT_EQ(passes, c.passes);
        EXPECT_EQ(copier.PercentREady(), c.finalPercent);
        EXPECT_EQ(readFile(destination), bytes);
        EXPECT_EQ(copier.SecondsTaken(), 0);
    }
}

TEST_F(CopierTest, ReplacesALongerDestinationAndLeavesTheSourceAlone) {
    const auto bytes = pattern(40000);
    dir.write("source.bin", bytes);
    dir.write("copy.bin", pattern(90000, 1));
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_EQ(readFile(source), bytes);
}

TEST_F(CopierTest, AMissingSourceClearsSucessfullAndTouchesNothing) {
    std::filesystem::create_directory(dir.fsPath() / "folder");
    dir.write("copy.bin", "older copy");
    for (const std::string& missing : {dir.path("missing.bin"), dir.path("folder")}) {
        SCOPED_TRACE(missing);
        copier.Sucessfull(true);
        copier.Copy(missing, destination);
        EXPECT_FALSE(copier.Sucessfull());
        EXPECT_EQ(readFile(destination), "older copy");
    }
}

TEST_F(CopierTest, FailuresAreQuietKeepTheFlagAndLeaveNoPartialCopy) {
    struct Case {
        const char* name;
        std::int32_t cacheSize;
        std::string destination;
        std::function<void()> yield;
    };
    const std::string intoMissingFolder = dir.path("gone") + platform::kPathSeparator + "copy.bin";
    const Case cases[] = {
        {"negative chunk size", -5, destination, {}},
        {"destination folder missing", 0, intoMissingFolder, {}},
        {"source shrinks under the copy", 0, destination, [&] { dir.write("source.bin", pattern(10)); }},
        {"source emptied under the copy", 0, destination, [&] { dir.write("source.bin", ""); }},
        {"yield throws", 0, destination, [] { throw std::runtime_error("front end failed"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("source.bin", pattern(100000));
        copier.CacheSize(c.cacheSize);
        copier.setYield(c.yield);
        copier.Sucessfull(false);
        copier.SecondsTaken(9);
        copier.Copy(source, c.destination);
        EXPECT_FALSE(copier.Sucessfull());
        EXPECT_EQ(copier.SecondsTaken(), 9);
        EXPECT_FALSE(std::filesystem::exists(native(c.destination)));
    }
}

TEST_F(CopierTest, AChunkSizeTooLargeToDoubleTouchesNoFile) {
    dir.write("source.bin", pattern(10));
    dir.write("copy.bin", "older copy");
    copier.CacheSize(1073741824);
    copier.Copy(source, destination);
    EXPECT_FALSE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), "older copy");

    copier.CacheSize(1073741823);
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), pattern(10));
}

TEST_F(CopierTest, TheProbeNeverSeesOurOwnHandleWhileWeYield) {
    dir.write("source.bin", pattern(200000));
    std::vector<modSentrel::FileState> seen;
    copier.setYield([&] {
        seen.push_back(modSentrel::GetFileState(source));
        seen.push_back(modSentrel::GetFileState(destination));
    });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    ASSERT_EQ(seen.size(), 14U);
    for (const auto state : seen) {
        EXPECT_EQ(state, modSentrel::fsFree);
    }
}

TEST_F(CopierTest, CopiesASourceThatAnotherProgramKeepsOpenForWriting) {
    const auto bytes = pattern(100000);
    dir.write("source.bin", bytes);
    testsupport::FileHolder holder(source, "w");
    ASSERT_TRUE(holder.holding());
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), bytes);
    EXPECT_EQ(holder.release(), 0);
}

TEST_F(CopierTest, GrowthIsFollowedUntilTheLastByteHasBeenReadThenNotAnyMore) {
    struct Case {
        const char* name;
        std::vector<int> growAtPass; // 1-based yields that append 5000 bytes
        std::size_t copied;
    };
    const Case cases[] = {
        // Seen before the end: the chunk shrinks to the remainder and takes the new bytes.
        {"during the first pass", {1}, 105000},
        // The fourth pass read the last of 100000 bytes: later bytes stay out.
        {"after the last byte was read", {4}, 100000},
        // A file that grows on every pass still ends, once a read catches up with it.
        {"on every pass", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 115000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = pattern(200000, 3);
        dir.write("source.bin", bytes.substr(0, 100000));
        int pass = 0;
        std::size_t grown = 100000;
        copier.setYield([&] {
            ++pass;
            if (std::find(c.growAtPass.begin(), c.growAtPass.end(), pass) != c.growAtPass.end()) {
                appendTo(source, bytes.substr(grown, 5000));
                grown += 5000;
            }
        });
        copier.Sucessfull(false);
        copier.Copy(source, destination);
        EXPECT_TRUE(copier.Sucessfull());
        EXPECT_EQ(readFile(destination), bytes.substr(0, c.copied));
    }
}

TEST_F(CopierTest, ANestedCopyRunsToCompletionInsideTheOuterOne) {
    const auto outerBytes = pattern(100000);
    const auto innerBytes = pattern(70000, 5);
    dir.write("source.bin", outerBytes);
    const auto innerSource = dir.write("inner.bin", innerBytes);
    const auto innerCopy = dir.path("inner copy.bin");
    bool nested = false;
    copier.setYield([&] {
        if (!nested) {
            nested = true;
            copier.Copy(innerSource, innerCopy);
            EXPECT_EQ(readFile(innerCopy), innerBytes);
        }
    });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), outerBytes);
}

TEST_F(CopierTest, ANestedCopyToTheSameNameIsNeverMixedWithTheOuterOne) {
    const auto oldBytes = pattern(100000, 1);
    const auto newBytes = pattern(100000, 2);
    dir.write("source.bin", oldBytes);
    bool nested = false;
    copier.setYield([&] {
        if (!nested) {
            nested = true;
            dir.write("source.bin", newBytes);
            copier.Copy(source, destination);
        }
    });
    copier.Copy(source, destination);
    // The inner copy completed and set the flag; the outer one gave up
    // rather than write on into the inner one's file.
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), newBytes);
}

TEST_F(CopierTest, SecondsTakenCountsWholeSecondsOfTheCopy) {
    dir.write("source.bin", pattern(100000));
    copier.setYield([] { std::this_thread::sleep_for(std::chrono::milliseconds(450)); });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(copier.SecondsTaken(), 2); // 1.8 s and a little
}

} // namespace
