// Whether a look at the watched file differs from the newest recorded one
// beyond the record's texts: another file put in place is a change; a file
// system renumbering its files, and a change of permissions, are not.

#include "watch/observeFile.h"

#include "platform/files.h"
#include "support/fakeClock.h"
#include "support/fileTimes.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

using namespace std::chrono_literals;
using watch::FileStamp;

TEST(Differs, ANewIdentityCountsOnlyTogetherWithANewStatusChangeTime) {
    const ChangeRecord record{"Free", "5 bytes", "5", "06/12/2026 06:41:39"};
    const platform::FileIdentity file{7, 100};
    const platform::FileIdentity renumbered{7, 101};
    const FileStamp recorded{file, 1'000, 2'000};
    const auto differsFrom = [&](const FileStamp& previous, const FileStamp& now) {
        return watch::differs(watch::Observation{modSentrel::fsFree, record, now, {}, {}}, record, previous);
    };
    EXPECT_FALSE(differsFrom(recorded, recorded));
    EXPECT_FALSE(differsFrom(recorded, {renumbered, 1'000, 2'000})) << "renumbered by its file system";
    EXPECT_TRUE(differsFrom(recorded, {renumbered, 1'000, 2'001})) << "another file renamed into place";
    EXPECT_FALSE(differsFrom(recorded, {file, 1'000, 2'001})) << "permissions or links changed";
    EXPECT_TRUE(differsFrom(recorded, {file, 1'001, 2'000})) << "saved again within the same second";

    // What a file system does not give says nothing.
    EXPECT_FALSE(differsFrom(recorded, {std::nullopt, 1'000, 2'001}));
    EXPECT_FALSE(differsFrom({std::nullopt, 1'000, 2'000}, {renumbered, 1'000, 2'001}));
    EXPECT_FALSE(differsFrom(recorded, {platform::FileIdentity{7, 0}, 1'000, 2'001})) << "a zero index is no identity";
    EXPECT_FALSE(differsFrom({platform::FileIdentity{7, 0}, 1'000, 2'000}, {renumbered, 1'000, 2'001}));
    EXPECT_FALSE(differsFrom(recorded, {renumbered, 1'000, std::nullopt})) << "no status-change time";
    EXPECT_FALSE(differsFrom({file, 1'000, std::nullopt}, {renumbered, 1'000, 2'001}));

    // The record's texts count whatever the stamps say.
    auto saved = record;
    saved.sizeInBytes = "6";
    EXPECT_TRUE(watch::differs(watch::Observation{modSentrel::fsFree, saved, recorded, {}, {}}, record, recorded));
}

class DiffersOnDisk : public ::testing::Test {
protected:
    watch::Observation look(const std::string& path) const { return watch::describe(watch::probeFile(path), clock); }
    bool differsFromRecorded(const std::string& path) const {
        return watch::differs(look(path), recorded.record, recorded.stamp);
    }

    testsupport::FakeClock clock;
    testsupport::TempDir dir;
    watch::Observation recorded;
};

// As `cp -p` or `rsync -t` followed by `mv` put a new version in place.
TEST_F(DiffersOnDisk, AFileRenamedOverTheWatchedOneIsAChangeWithTheSameSizeAndDate) {
    const auto date = testsupport::wholeSecondNow() - 1h + 250ms;
    const auto watched = dir.write("current.csv", "value=A");
    ASSERT_TRUE(testsupport::setModified(watched, date));
    recorded = look(watched);
    ASSERT_TRUE(recorded.stamp);
    if (!recorded.stamp->changeTicks) {
        GTEST_SKIP() << "this file system gives no status-change time, so a replaced file with the same size and "
                        "date cannot be told from a renumbered one";
    }
    const auto next = dir.write("next.csv", "value=B");
    ASSERT_TRUE(testsupport::untilChangeTimeDiffers(next, recorded.stamp->changeTicks,
                                                    [&] { return testsupport::setModified(next, date); }));
    std::filesystem::rename(dir.fsPath() / "next.csv", dir.fsPath() / "current.csv");

    const auto replaced = look(watched);
    EXPECT_EQ(replaced.record.sizeInBytes, recorded.record.sizeInBytes);
    EXPECT_EQ(replaced.stamp->modifiedTicks, recorded.stamp->modifiedTicks) << "the date was kept";
    EXPECT_NE(replaced.stamp->identity, recorded.stamp->identity);
    EXPECT_TRUE(differsFromRecorded(watched));
}

TEST_F(DiffersOnDisk, ChangingPermissionsAloneIsNoChange) {
    const auto watched = dir.write("current.csv", "value=A");
    recorded = look(watched);
    ASSERT_TRUE(recorded.stamp);
    const auto perms = std::filesystem::status(dir.fsPath() / "current.csv").permissions();
    bool readOnly = false;
    const auto toggleWrite = [&] {
        readOnly = !readOnly;
        std::error_code error;
        std::filesystem::permissions(
            dir.fsPath() / "current.csv", std::filesystem::perms::owner_write,
            readOnly ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add, error);
        return !error;
    };
    if (recorded.stamp->changeTicks) {
        ASSERT_TRUE(testsupport::untilChangeTimeDiffers(watched, recorded.stamp->changeTicks, toggleWrite));
    } else {
        ASSERT_TRUE(toggleWrite());
    }
    EXPECT_FALSE(differsFromRecorded(watched));
    std::filesystem::permissions(dir.fsPath() / "current.csv", perms);
}

} // namespace
