// Dates as the user sees them: the general date text and a file's date modified.

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(GeneralDateText, DateAloneAtMidnightAndEverySecondDistinct) {
    const platform::LocalDateTime midnight{2026, 12, 5, 0, 0, 0};
    const auto dateOnly = platform::generalDateText(midnight);
    ASSERT_FALSE(dateOnly.empty());
    EXPECT_EQ(dateOnly.find("00:00"), std::string::npos);
    EXPECT_NE(dateOnly.find("2026"), std::string::npos) << dateOnly << ": the year is written in full";

    const auto afternoon = platform::generalDateText({2026, 12, 5, 17, 2, 11});
    EXPECT_EQ(afternoon.rfind(dateOnly + " ", 0), 0u) << afternoon << " starts with the short date and a blank";
    EXPECT_NE(afternoon, platform::generalDateText({2026, 12, 5, 17, 2, 12}));
    EXPECT_NE(afternoon, platform::generalDateText({2026, 12, 5, 5, 2, 11})) << "morning and afternoon differ";
    EXPECT_NE(dateOnly, platform::generalDateText({2026, 12, 6, 0, 0, 0}));
    // One second after midnight is no longer midnight.
    EXPECT_GT(platform::generalDateText({2026, 12, 5, 0, 0, 1}).size(), dateOnly.size());
}

TEST(FileModifiedLocal, IsTheLocalTimeOfTheLastWrite) {
    testsupport::TempDir dir;
    EXPECT_EQ(platform::fileModifiedLocal(dir.path("missing.csv")), std::nullopt);
    EXPECT_EQ(platform::fileModifiedLocal(""), std::nullopt);

    // Real time: the file was written a moment ago, so its date modified is
    // today's local date and within a minute of the local clock.
    const auto before = platform::localNow();
    const auto written = platform::fileModifiedLocal(dir.write("current.csv", "x"));
    ASSERT_TRUE(written.has_value());
    const auto after = platform::localNow();
    const auto minutes = [](const platform::LocalDateTime& t) {
        return ((t.year * 400 + t.month * 32 + t.day) * 24 + t.hour) * 60 + t.minute;
    };
    EXPECT_GE(minutes(*written), minutes(before) - 1);
    EXPECT_LE(minutes(*written), minutes(after) + 1);
}

} // namespace
