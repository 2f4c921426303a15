#include "copies/copyName.h"

#include "common/modKorvel.h"
#include "support/fakeClock.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace copies;

namespace {

const platform::DayHalfDesignators usEnglish{"AM", "PM"};

platform::LocalDateTime at(int hour, int minute, int second) {
    return {2010, 3, 5, hour, minute, second};
}

TEST(CopyTimestamp, TwelveHourClockWithTheLocalesDesignator) {
    EXPECT_EQ(copyTimestamp(at(14, 7, 9), usEnglish), "2010-03-05 02-07-09 PM");
    EXPECT_EQ(copyTimestamp(at(0, 30, 0), usEnglish), "2010-03-05 12-30-00 AM");
    EXPECT_EQ(copyTimestamp(at(12, 30, 0), usEnglish), "2010-03-05 12-30-00 PM");
    EXPECT_EQ(copyTimestamp(at(13, 5, 0), usEnglish), "2010-03-05 01-05-00 PM");
    EXPECT_EQ(copyTimestamp(at(11, 59, 59), usEnglish), "2010-03-05 11-59-59 AM");
    EXPECT_EQ(copyTimestamp({1999, 12, 31, 23, 0, 1}, {"vorm.", "nachm."}), "1999-12-31 11-00-01 nachm.");
    EXPECT_EQ(copyTimestamp(at(14, 7, 9), {"", ""}), "2010-03-05 02-07-09 ") << "an empty designator keeps the blank";
    // A designator the user set to text with a separator in it puts no folder into the name.
    EXPECT_EQ(copyTimestamp(at(1, 2, 3), {"a/m", "p\\m"}), "2010-03-05 01-02-03 a_m");
    EXPECT_EQ(copyTimestamp(at(13, 2, 3), {"a/m", "p\\m:*"}), "2010-03-05 01-02-03 p_m__");
}

// Builds names for Windows-form paths, whatever the platform.
CopyNameParts windowsParts(std::string_view watched, bool manual) {
    return copyNamePartsFor("C:\\Program Files\\Sentrel\\", watched, manual, '\\');
}

TEST(CopyName, PiecesInOrder) {
    const auto automatic = windowsParts("C:\\Data\\report.csv", false);
    EXPECT_EQ(copyCandidate(automatic, "2010-03-05 02-07-09 PM", 1),
              "C:\\Program Files\\Sentrel\\Copies\\report - 2010-03-05 02-07-09 PM (0001).csv");
    const auto manual = windowsParts("C:\\Data\\report.csv", true);
    EXPECT_EQ(copyCandidate(manual, "2010-03-05 02-07-09 PM", 1),
              "C:\\Program Files\\Sentrel\\Copies\\report - 2010-03-05 02-07-09 PM - Manual (0001).csv");
    EXPECT_EQ(copyCandidate(automatic, "T", 42), "C:\\Program Files\\Sentrel\\Copies\\report - T (0042).csv");
    EXPECT_EQ(copyCandidate(automatic, "T", 10000), "C:\\Program Files\\Sentrel\\Copies\\report - T (10000).csv");
}

TEST(CopyName, NamesWithSeveralDotsOrNone) {
    EXPECT_EQ(copyCandidate(windowsParts("C:\\Data\\archive.tar.gz", false), "T", 1),
              "C:\\Program Files\\Sentrel\\Copies\\archive.tar - T (0001).gz");
    // Without a "." in the file name, the whole name is the base and no extension follows.
    EXPECT_EQ(copyCandidate(windowsParts("C:\\Data\\README", false), "T", 1),
              "C:\\Program Files\\Sentrel\\Copies\\README - T (0001)");
    EXPECT_EQ(copyCandidate(windowsParts("C:\\my.data\\README", true), "T", 1),
              "C:\\Program Files\\Sentrel\\Copies\\README - T - Manual (0001)");
    EXPECT_EQ(copyCandidate(windowsParts("C:\\Data\\report.", false), "T", 1),
              "C:\\Program Files\\Sentrel\\Copies\\report - T (0001).");
    EXPECT_EQ(copyCandidate(copyNamePartsFor("/opt/sentrel/", "/home/ann/.profile", false, '/'), "T", 1),
              "/opt/sentrel/Copies/ - T (0001).profile");
}

TEST(CopyName, ANameTooLongForTheFileSystemLosesTheEndOfItsBaseName) {
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.fsPath() / "Copies");
    // 150 two-byte characters and an "x": a base of 301 bytes.
    std::string base;
    for (int i = 0; i < 150; ++i) {
        base += "\xC3\xA9";
    }
    base += "x";
    auto parts = copyNamePartsFor(*modKorvel::AddBackslash(dir.path()), dir.path(base + ".csv"), true);
    const std::string tail = " - 2010-03-05 02-07-09 PM - Manual (0001).csv";
    const auto name = copyCandidate(parts, "2010-03-05 02-07-09 PM", 1);
    const auto fileName = modKorvel::GetFileName(name, false);
    EXPECT_LE(fileName.size(), 255u);
    ASSERT_TRUE(fileName.ends_with(tail)) << fileName;
    const auto kept = fileName.substr(0, fileName.size() - tail.size());
    EXPECT_EQ(kept.size() % 2, 0u) << "no character is cut in half";
    EXPECT_TRUE(base.starts_with(kept));
    dir.write("Copies/" + fileName, "copy");
    EXPECT_TRUE(modKorvel::FileExists(name)) << "the file system takes the name";

    parts.baseName = std::string(300, 'a'); // one byte a character: cut to the byte
    EXPECT_EQ(modKorvel::GetFileName(copyCandidate(parts, "2010-03-05 02-07-09 PM", 1), false),
              std::string(255 - tail.size(), 'a') + tail);

    parts.baseName = "short";
    EXPECT_EQ(modKorvel::GetFileName(copyCandidate(parts, "2010-03-05 02-07-09 PM", 1), false), "short" + tail);
}

TEST(ChooseCopyName, CountsPastTakenNamesReadingTheClockEachTime) {
    const auto parts = windowsParts("C:\\Data\\report.csv", false);
    std::set<std::string> taken;
    int clockReads = 0;
    testsupport::FakeClock clock;
    clock.ticking = [&] { return at(14, 7, 9 + clockReads++); };
    clock.designators = usEnglish;
    const auto exists = [&](const std::string& name) { return taken.count(name) != 0; };

    EXPECT_EQ(chooseCopyName(parts, clock, exists), copyCandidate(parts, "2010-03-05 02-07-09 PM", 1));

    // The first candidate is taken: the second is built with a fresh reading
    // of the clock (one second later here) and the counter goes on at 2.
    clockReads = 0;
    taken = {copyCandidate(parts, "2010-03-05 02-07-09 PM", 1)};
    EXPECT_EQ(chooseCopyName(parts, clock, exists), copyCandidate(parts, "2010-03-05 02-07-10 PM", 2));
    EXPECT_EQ(clockReads, 2);

    // All of 0001 to 9999 taken within one second: the next is 10000.
    clock.ticking = [] { return at(14, 7, 9); };
    taken.clear();
    for (int counter = 1; counter <= 9999; ++counter) {
        taken.insert(copyCandidate(parts, "2010-03-05 02-07-09 PM", counter));
    }
    EXPECT_EQ(chooseCopyName(parts, clock, exists),
              "C:\\Program Files\\Sentrel\\Copies\\report - 2010-03-05 02-07-09 PM (10000).csv");
}

TEST(ChooseCopyName, RealFilesInTheCopiesFolder) {
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.fsPath() / "Copies");
    const auto folder = *modKorvel::AddBackslash(dir.path());
    const auto parts = copyNamePartsFor(folder, dir.path("current.csv"), true);
    testsupport::FakeClock clock;
    clock.time = at(0, 30, 0);
    clock.designators = usEnglish;
    const auto exists = modKorvel::FileExists;

    const auto first = chooseCopyName(parts, clock, exists);
    EXPECT_EQ(first,
              dir.path("Copies") + platform::kPathSeparator + "current - 2010-03-05 12-30-00 AM - Manual (0001).csv");
    dir.write("Copies/current - 2010-03-05 12-30-00 AM - Manual (0001).csv", "copy");
    EXPECT_EQ(chooseCopyName(parts, clock, exists),
              dir.path("Copies") + platform::kPathSeparator + "current - 2010-03-05 12-30-00 AM - Manual (0002).csv");
}

} // namespace
