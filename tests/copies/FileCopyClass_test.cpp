#include "copies/FileCopyClass.h"

#include "common/messageLoop.h"
#include "common/modKorvel.h"
#include "copies/unfinishedCopies.h"
#include "platform/fileio.h"
#include "platform/files.h"
#include "support/childProcess.h"
#include "support/fileHolder.h"
#include "support/folderContents.h"
#include "support/reserve.h"
#include "support/tempDir.h"
#include "watch/modSentrel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

using testsupport::folderContents;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::unfinishedCopiesIn;
using Contents = std::map<std::string, std::string>;

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

// The copies land in a folder of their own, so that everything a copy leaves
// behind shows in one listing.
class CopierTest : public ::testing::Test {
protected:
    CopierTest() { std::filesystem::create_directory(copies); }

    // What the copier published at each pass, and how much of its unfinished
    // file was on disk then.
    struct Pass {
        std::int16_t percent;
        std::int64_t written;
        std::int64_t onDisk;
        bool operator==(const Pass&) const = default;
    };

    void recordPasses() {
        copier.setPassHook([this] {
            const auto unfinished = unfinishedCopiesIn(copies);
            const auto onDisk =
                unfinished.size() == 1 ? static_cast<std::int64_t>(unfinished.begin()->second.size()) : -1;
            passes.push_back({copier.PercentREady(), copier.BytesWritten(), onDisk});
        });
    }

    TempDir dir;
    std::filesystem::path copies = dir.fsPath() / "Copies";
    FileCopyClass copier;
    std::string source = dir.path("source.bin");
    std::string destination = dir.path("Copies") + platform::kPathSeparator + "copy.bin";
    std::vector<Pass> passes;
};

// The percents the chunk loop publishes for a steady source, pass by pass,
// worked out as it goes: read a chunk, write once two have gathered, the last
// chunk shrunk to the remainder, the rest written after the last pass.
std::vector<std::int16_t> chunkLoopPercents(std::int64_t length) {
    constexpr std::int64_t chunk = FileCopyClass::kDefaultChunkSize;
    std::vector<std::int16_t> percents;
    if (length < chunk) {
        return percents; // one read and one write, no passes
    }
    std::int64_t read = 0;
    std::int64_t pending = 0;
    std::int64_t written = 0;
    while (read != length) {
        const auto block = std::min(chunk, length - read);
        read += block;
        pending += block;
        if (pending >= 2 * chunk) {
            written += pending;
            pending = 0;
        }
        const double percent = ((static_cast<double>(written) / 100.0) * 100.0) / (static_cast<double>(length) / 100.0);
        percents.push_back(static_cast<std::int16_t>(std::nearbyint(percent)));
    }
    return percents;
}

bool isSubsequence(const std::vector<std::int16_t>& part, const std::vector<std::int16_t>& whole) {
    auto at = whole.begin();
    for (const auto value : part) {
        at = std::find(at, whole.end(), value);
        if (at == whole.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

// However many bytes a pass moves (a chunk, or a piece the kernel copies),
// the bar sees only percents the chunk loop would publish, in its order,
// ending on its last one; what was written is on the disk at every pass.
// Where the copy opens its source for each piece (Windows), it runs the
// chunk loop's passes themselves, so the bar sees each of its percents.
TEST_F(CopierTest, ProgressFollowsTheChunkLoopWhateverAPassMoves) {
    struct Case {
        std::size_t size;
        std::vector<std::int16_t> chunkLoop;
        std::int16_t finalPercent;
    };
    // 7 stands for a value left by an earlier copy.
    const std::size_t large = (std::size_t{9} << 20) + 12345;
    const Case cases[] = {
        {0, {}, 7},
        {31999, {}, 7},
        {32000, {0}, 0},
        {64000, {0, 100}, 100},
        {100000, {0, 64, 64, 64}, 64},
        {large, chunkLoopPercents(static_cast<std::int64_t>(large)),
         chunkLoopPercents(static_cast<std::int64_t>(large)).back()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        if (c.size <= 100000) {
            ASSERT_EQ(chunkLoopPercents(static_cast<std::int64_t>(c.size)), c.chunkLoop);
        }
        const auto bytes = pattern(c.size);
        dir.write("source.bin", bytes);
        copier.PercentREady(7);
        copier.Sucessfull(false);
        passes.clear();
        recordPasses();

        copier.Copy(source, destination);

        EXPECT_TRUE(copier.Sucessfull());
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        std::vector<std::int16_t> percents;
        for (const auto& pass : passes) {
            percents.push_back(pass.percent);
            EXPECT_EQ(pass.written, pass.onDisk);
        }
        EXPECT_TRUE(isSubsequence(percents, c.chunkLoop)) << ::testing::PrintToString(percents);
        if (platform::kOpenFilesBlockOtherPrograms) {
            EXPECT_EQ(percents, c.chunkLoop);
        }
        EXPECT_EQ(percents.empty(), c.chunkLoop.empty());
        EXPECT_EQ(copier.PercentREady(), c.finalPercent);
        EXPECT_EQ(copier.BytesWritten(), static_cast<std::int64_t>(c.size));
        EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", bytes}}));
        if (c.size <= 100000) {
            EXPECT_EQ(copier.SecondsTaken(), 0);
        }
    }
}

TEST_F(CopierTest, ReplacesALongerDestinationAndLeavesTheSourceAlone) {
    const auto bytes = pattern(40000);
    dir.write("source.bin", bytes);
    std::ofstream(copies / "copy.bin", std::ios::binary) << pattern(90000, 1);
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", bytes}}));
    EXPECT_EQ(readFile(source), bytes);
}

// A kernel attribute file gives a page as its length and a few bytes to a
// read: to the copier, a file cut short between its length and its read,
// whether it is read at once or in chunks. Under Wine the Z: drive reaches it.
TEST_F(CopierTest, ASourceCutShortBeforeItsReadKeepsNothing) {
    const std::string cut =
        platform::kPathSeparator == '/' ? "/sys/devices/system/cpu/online" : "Z:\\sys\\devices\\system\\cpu\\online";
    const auto listed = platform::fileLength(cut);
    if (!listed || *listed <= static_cast<std::int64_t>(readFile(cut).size())) {
        GTEST_SKIP() << "no file here whose read gives less than its length";
    }
    for (const std::int32_t cacheSize : {0, 1000}) {
        SCOPED_TRACE(cacheSize);
        copier.CacheSize(cacheSize);
        copier.Copy(cut, destination);
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::SourceChanged);
        EXPECT_TRUE(folderContents(copies).empty());
    }
}

TEST_F(CopierTest, AMissingSourceClearsSucessfullAndTouchesNothing) {
    std::filesystem::create_directory(dir.fsPath() / "folder");
    std::ofstream(copies / "copy.bin", std::ios::binary) << "older copy";
    for (const std::string& missing : {dir.path("missing.bin"), dir.path("folder")}) {
        SCOPED_TRACE(missing);
        copier.Sucessfull(true);
        copier.Copy(missing, destination);
        EXPECT_FALSE(copier.Sucessfull());
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::SourceMissing);
        EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}}));
    }
}

// However a copy fails, the flag stays, the error says why when the file
// system gave a reason, and the older copy under the name is left whole.
TEST_F(CopierTest, FailuresKeepTheFlagSayWhyAndLeaveTheOlderCopy) {
    struct Case {
        const char* name;
        std::int32_t cacheSize;
        std::string destination;
        std::function<void()> hook;
        CopyOutcome outcome;
        std::int32_t error; // 0: none
    };
    const std::string intoMissingFolder = dir.path("gone") + platform::kPathSeparator + "copy.bin";
    const std::string ontoAFolder = dir.path("Copies") + platform::kPathSeparator + "folder";
    const Case cases[] = {
        {"negative chunk size", -5, destination, {}, CopyOutcome::Failed, rterr::InvalidProcedureCall},
        {"chunk size too large to double",
         1073741824,
         destination,
         {},
         CopyOutcome::Failed,
         rterr::InvalidProcedureCall},
        {"destination folder missing", 0, intoMissingFolder, {}, CopyOutcome::Failed, rterr::PathNotFound},
        {"destination is a folder", 0, ontoAFolder, {}, CopyOutcome::Failed, rterr::PathFileAccessError},
        {"source rewritten shorter than what was read", 0, destination, [&] { dir.write("source.bin", pattern(10)); },
         CopyOutcome::SourceChanged, 0},
        {"source emptied under the copy", 0, destination, [&] { dir.write("source.bin", ""); },
         CopyOutcome::SourceChanged, 0},
        {"pass hook throws", 0, destination, [] { throw std::runtime_error("front end failed"); }, CopyOutcome::Failed,
         0},
    };
    std::filesystem::create_directory(copies / "folder");
    std::ofstream(copies / "copy.bin", std::ios::binary) << "older copy";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Longer than what any copier moves in one pass, so a rewrite after
        // the first one comes before the end.
        dir.write("source.bin", pattern(std::size_t{12} << 20));
        copier.CacheSize(c.cacheSize);
        copier.setPassHook(c.hook);
        copier.Sucessfull(false);
        copier.SecondsTaken(9);
        copier.Copy(source, c.destination);
        EXPECT_FALSE(copier.Sucessfull());
        EXPECT_EQ(copier.SecondsTaken(), 9);
        EXPECT_EQ(copier.LastOutcome(), c.outcome);
        EXPECT_EQ(copier.LastError().value_or(RtError{}).number, c.error);
        EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}, {"folder", "<folder>"}}));
        EXPECT_FALSE(std::filesystem::exists(native(intoMissingFolder)));
    }
}

// With less free space than the reserve, a copy of any size is refused, and
// one under way is stopped when the space goes: the older copy stays and no
// unfinished file is left. Bounded: the copies write at most 12 MiB.
TEST_F(CopierTest, CopiesNeverEatTheReserve) {
    std::ofstream(copies / "copy.bin", std::ios::binary) << "older copy";
    const std::string folder = dir.path("Copies");
    {
        const testsupport::Reserve reserve(testsupport::Reserve::beyondFreeSpaceOf(folder));
        for (const std::size_t size : {std::size_t{10}, std::size_t{12} << 20}) {
            SCOPED_TRACE(size);
            dir.write("source.bin", pattern(size));
            copier.Copy(source, destination);
            if (copier.LastOutcome() == CopyOutcome::Copied) {
                GTEST_SKIP() << "the temp folder's file system clones: a copy there takes no space";
            }
            EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
            const auto error = copier.LastError().value_or(RtError{});
            EXPECT_EQ(error.number, rterr::DiskFull);
            EXPECT_NE(error.description.find(" kept free"), std::string::npos) << error.description;
            EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}}));
        }
    }
    int passesMade = 0;
    copier.setPassHook([&] {
        if (++passesMade == 1) {
            testsupport::Reserve::set(testsupport::Reserve::beyondFreeSpaceOf(folder));
        }
    });
    const testsupport::Reserve programsOwn;
    copier.Copy(source, destination);
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
    EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::DiskFull);
    EXPECT_LT(copier.BytesWritten(), std::int64_t{12} << 20) << "stopped before its end";
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}}));
}

TEST_F(CopierTest, TheLargestChunkThatCanBeDoubledCopies) {
    dir.write("source.bin", pattern(10));
    copier.CacheSize(1073741823);
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", pattern(10)}}));
}

TEST_F(CopierTest, TheProbeNeverSeesTheCopysOwnHandleOnTheSource) {
    dir.write("source.bin", pattern(200000));
    std::vector<modSentrel::FileState> seen;
    copier.setPassHook([&] { seen.push_back(modSentrel::GetFileState(source)); });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_FALSE(seen.empty());
    EXPECT_EQ(seen, std::vector<modSentrel::FileState>(seen.size(), modSentrel::fsFree));
}

TEST_F(CopierTest, CopiesASourceThatAnotherProgramKeepsOpenForWriting) {
    const auto bytes = pattern(100000);
    dir.write("source.bin", bytes);
    testsupport::FileHolder holder(source, "w");
    ASSERT_TRUE(holder.holding());
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", bytes}}));
    EXPECT_EQ(holder.release(), 0);
}

// How many bytes a pass moves is the copier's business (a chunk, or a piece
// the kernel copies), so the source is larger than a few of either and the
// last pass is found by copying it once unchanged.
TEST_F(CopierTest, GrowthIsFollowedUntilTheLastByteHasBeenReadThenNotAnyMore) {
    const std::size_t size = std::size_t{12} << 20;
    const auto bytes = pattern(size + 100000, 3);
    dir.write("source.bin", bytes.substr(0, size));
    int passCount = 0;
    copier.setPassHook([&] { ++passCount; });
    copier.Copy(source, destination);
    ASSERT_GT(passCount, 1);

    struct Case {
        const char* name;
        std::vector<int> growAtPass; // 1-based passes that append 5000 bytes
        std::size_t fewest;
        std::size_t most;
    };
    const Case cases[] = {
        // Seen before the end: the new bytes are copied too.
        {"during the first pass", {1}, size + 5000, size + 5000},
        // The last pass read the last byte: later bytes stay out.
        {"after the last byte was read", {passCount}, size, size},
        // A file that grows on every pass still ends, once a read catches up with it.
        {"on every pass", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, size + 5000, size + 50000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("source.bin", bytes.substr(0, size));
        int pass = 0;
        std::size_t grown = size;
        copier.setPassHook([&] {
            ++pass;
            if (std::find(c.growAtPass.begin(), c.growAtPass.end(), pass) != c.growAtPass.end()) {
                appendTo(source, bytes.substr(grown, 5000));
                grown += 5000;
            }
        });
        copier.Sucessfull(false);
        copier.Copy(source, destination);
        EXPECT_TRUE(copier.Sucessfull());
        const auto copied = readFile(destination);
        EXPECT_GE(copied.size(), c.fewest);
        EXPECT_LE(copied.size(), c.most);
        EXPECT_TRUE(copied == bytes.substr(0, copied.size()));
    }
}

TEST_F(CopierTest, ANestedCopyRunsToCompletionInsideTheOuterOne) {
    const auto outerBytes = pattern(100000);
    const auto innerBytes = pattern(70000, 5);
    dir.write("source.bin", outerBytes);
    const auto innerSource = dir.write("inner.bin", innerBytes);
    const auto innerCopy = dir.path("Copies") + platform::kPathSeparator + "inner copy.bin";
    bool nested = false;
    copier.setPassHook([&] {
        if (!nested) {
            nested = true;
            copier.Copy(innerSource, innerCopy);
            EXPECT_EQ(readFile(innerCopy), innerBytes);
        }
    });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", outerBytes}, {"inner copy.bin", innerBytes}}));
}

// A new version renamed over the source, then copied by a nested copy to the
// same name: whichever copy is kept last, the name holds one whole version.
TEST_F(CopierTest, ANestedCopyToTheSameNameLeavesOneWholeVersion) {
    const auto oldBytes = pattern(100000, 1);
    const auto newBytes = pattern(100000, 2);
    dir.write("source.bin", oldBytes);
    bool nested = false;
    copier.setPassHook([&] {
        if (!nested) {
            nested = true;
            std::filesystem::rename(native(dir.write("new.bin", newBytes)), native(source));
            copier.Copy(source, destination);
            EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        }
    });
    copier.Copy(source, destination);
    // Where the copy holds its source (POSIX) it finishes the old version;
    // where it opens the source again for each chunk, it finds another file.
    if (copier.LastOutcome() == CopyOutcome::Copied) {
        EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", oldBytes}}));
    } else {
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::SourceChanged);
        EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", newBytes}}));
    }
}

TEST_F(CopierTest, SecondsTakenCountsWholeSecondsOfTheCopy) {
    dir.write("source.bin", pattern(100000));
    copier.setPassHook([slept = false]() mutable {
        if (!std::exchange(slept, true)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1800));
        }
    });
    copier.Copy(source, destination);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(copier.SecondsTaken(), 2); // 1.8 s and a little
}

// The window's message loop, reduced to what the copier uses: waiting until
// the waker wakes it. It counts both, so a test can wait for either.
class StandInLoop : public MessageLoop {
public:
    ~StandInLoop() override { m_waker->close(); }

    void waitForMessages() noexcept override {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_pendingWake; });
        m_pendingWake = false;
        ++m_turns;
        m_changed.notify_all();
    }
    std::shared_ptr<Waker> waker() noexcept override { return m_waker; }

    void waitForTurns(int turns) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_turns >= turns; });
    }
    void waitForWakes(int wakes) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_wakes >= wakes; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_pendingWake = false;
    int m_turns = 0;
    int m_wakes = 0;
    std::shared_ptr<Waker> m_waker = std::make_shared<Waker>([this] {
        const std::lock_guard lock(m_mutex);
        m_pendingWake = true;
        ++m_wakes;
        m_changed.notify_all();
    });
};

TEST_F(CopierTest, OnAMessageLoopTheIoRunsOnItsOwnThreadWhileTheCallerTurnsTheLoop) {
    const auto bytes = pattern(100000);
    dir.write("source.bin", bytes);
    StandInLoop loop;
    copier.setMessageLoop(&loop, [] { return false; });
    std::vector<std::thread::id> hookThreads;
    copier.setPassHook([&] {
        hookThreads.push_back(std::this_thread::get_id());
        if (hookThreads.size() == 1) {
            // Mid-copy, the caller must be turning its loop, not blocked.
            loop.waker()->wake();
            loop.waitForTurns(1);
        }
    });
    copier.Copy(source, destination);
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
    EXPECT_TRUE(copier.Sucessfull());
    EXPECT_EQ(copier.PercentREady(), 64);
    EXPECT_EQ(copier.BytesWritten(), 100000);
    ASSERT_FALSE(hookThreads.empty());
    for (const auto id : hookThreads) {
        EXPECT_NE(id, std::this_thread::get_id());
    }
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", bytes}}));
}

// A copy whose file system stops answering: once the caller gives up, Copy
// returns while the copy's thread is still stuck, and the copier may go away.
// When the thread comes back it touches nothing of the copier's and keeps nothing.
TEST_F(CopierTest, GivingUpReturnsAtOnceAndTheAbandonedCopyIsNeverKept) {
    dir.write("source.bin", pattern(100000));
    std::ofstream(copies / "copy.bin", std::ios::binary) << "older copy";
    StandInLoop loop;
    std::mutex mutex;
    std::condition_variable changed;
    bool stuck = false;
    bool answer = false;
    {
        FileCopyClass abandoning;
        abandoning.setMessageLoop(&loop, [&] {
            const std::lock_guard lock(mutex);
            return stuck;
        });
        abandoning.setPassHook([&] {
            {
                std::unique_lock lock(mutex);
                stuck = true;
            }
            loop.waker()->wake();
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return answer; });
        });
        abandoning.Sucessfull(true);
        abandoning.Copy(source, destination);
        EXPECT_EQ(abandoning.LastOutcome(), CopyOutcome::Abandoned);
        EXPECT_TRUE(abandoning.Sucessfull());
        EXPECT_EQ(unfinishedCopiesIn(copies).size(), 1U);
    }
    loop.waitForWakes(1); // the hook's own
    {
        const std::lock_guard lock(mutex);
        answer = true;
    }
    changed.notify_all();
    loop.waitForWakes(2); // the copy's thread has finished
    EXPECT_EQ(folderContents(copies), (Contents{{"copy.bin", "older copy"}}));
}

// A run killed in the middle of a copy leaves its unfinished file, never a
// file under a copy's name; the clean-up at the next start removes exactly
// the unfinished files.
TEST_F(CopierTest, AKilledCopyLeavesOnlyItsUnfinishedFileWhichTheCleanUpRemoves) {
    const auto bytes = pattern(12 << 20, 4);
    dir.write("source.bin", bytes);
    const Contents bystanders{
        {"current - 06-12-2026 06.41.39 (0001).csv", "older copy"}, {".sentrel-partial-0123456789ABCDEF", "upper case"},
        {".sentrel-partial-0123456789abcde", "too short"},          {".sentrel-partial-0123456789abcdef0", "too long"},
        {"x.sentrel-partial-0123456789abcdef", "prefixed"},
    };
    for (const auto& [name, content] : bystanders) {
        std::ofstream(copies / name, std::ios::binary) << content;
    }
    std::filesystem::create_directory(copies / ".sentrel-partial-fedcba9876543210");
    // A link is not a file this folder holds, whatever its name (where links can be made).
    std::error_code noLinks;
    std::filesystem::create_symlink(dir.fsPath() / "source.bin", copies / ".sentrel-partial-1111111111111111", noLinks);
    const auto marker = dir.path("ready");
    auto child =
        testsupport::ChildProcess::start({testsupport::helperProgram("slowcopy"), source, destination, marker});
    ASSERT_TRUE(child);
    ASSERT_TRUE(testsupport::waitForFile(marker, 60));
    child->kill();

    auto left = folderContents(copies);
    const auto unfinished = unfinishedCopiesIn(copies);
    ASSERT_EQ(unfinished.size(), 1U);
    // What the first two passes wrote, and not yet everything.
    const auto& partial = unfinished.begin()->second;
    EXPECT_FALSE(partial.empty());
    EXPECT_LT(partial.size(), bytes.size());
    EXPECT_TRUE(partial == bytes.substr(0, partial.size()));
    left.erase(unfinished.begin()->first);
    auto expected = bystanders;
    expected[".sentrel-partial-fedcba9876543210"] = "<folder>";
    if (!noLinks) {
        expected[".sentrel-partial-1111111111111111"] = "<link>";
    }
    EXPECT_EQ(left, expected);

    copies::removeUnfinishedCopies(dir.path("Copies"));
    EXPECT_EQ(folderContents(copies), expected);
}

} // namespace
