#include "log/LogRows.h"

#include <gtest/gtest.h>

#include <string>

using logview::LogRows;

namespace {

ChangeRow row(int icon, std::string time, std::string state, std::string sizeText, std::string sizeInBytes,
              std::string dateModified) {
    return {std::move(time),
            icon,
            {std::move(state), std::move(sizeText), std::move(sizeInBytes), std::move(dateModified)}};
}

TEST(LogRows, ReadsBackEveryColumnOfEveryRowAcrossBlocks) {
    LogRows rows;
    // Enough rows to fill several arena blocks, with rows of varying length.
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        const auto n = std::to_string(i);
        rows.append(
            row(1 + i % 5, "07/12/2026 05:" + n, i % 2 ? "Open" : "Free", n + " kb", std::string(i % 37, 'x') + n, ""));
    }
    ASSERT_EQ(rows.size(), count);
    for (int i = 0; i < count; ++i) {
        const auto n = std::to_string(i);
        ASSERT_EQ(rows.text(i, 0), "07/12/2026 05:" + n);
        ASSERT_EQ(rows.text(i, 1), i % 2 ? "Open" : "Free");
        ASSERT_EQ(rows.text(i, 2), n + " kb");
        ASSERT_EQ(rows.text(i, 3), std::string(i % 37, 'x') + n);
        ASSERT_EQ(rows.text(i, 4), "");
        ASSERT_EQ(rows.icon(i), 1 + i % 5);
    }
}

TEST(LogRows, OutOfRangeReadsGiveNothing) {
    LogRows rows;
    EXPECT_EQ(rows.text(0, 0), std::nullopt);
    EXPECT_EQ(rows.icon(0), 0);
    rows.append(row(4, "t", "No File", "Unknown", "Unknown", "Unknown"));
    EXPECT_EQ(rows.text(1, 0), std::nullopt);
    EXPECT_EQ(rows.text(-1, 0), std::nullopt);
    EXPECT_EQ(rows.text(0, 5), std::nullopt);
    EXPECT_EQ(rows.text(0, -1), std::nullopt);
    EXPECT_EQ(rows.text(0, 4), "Unknown");
}

TEST(LogRows, TextsCannotShiftColumnsAndHugeRowsFit) {
    LogRows rows;
    rows.append(row(1,
                    "a\x1f"
                    "b",
                    "Free", "", "", ""));
    EXPECT_EQ(rows.text(0, 0), "a b");
    EXPECT_EQ(rows.text(0, 1), "Free");

    const std::string huge(600 * 1024, 'h'); // larger than one arena block
    rows.append(row(2, huge, "Open", "1", "2", "3"));
    rows.append(row(3, "after", "Error", "", "", ""));
    EXPECT_EQ(rows.text(1, 0), huge);
    EXPECT_EQ(rows.text(1, 4), "3");
    EXPECT_EQ(rows.text(2, 1), "Error");

    rows.clear();
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(rows.text(0, 0), std::nullopt);
    rows.append(row(5, "fresh", "Free", "", "", ""));
    EXPECT_EQ(rows.text(0, 0), "fresh");
}

} // namespace
