#include "log/LogRows.h"

#include "support/fakeClock.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

using logview::LogRows;
using testsupport::FakeFormats;

namespace {

const auto kSlashes = std::make_shared<FakeFormats>('/', ".");
const auto kDots = std::make_shared<FakeFormats>('.', ",");

std::vector<std::string> shownTexts(const LogRows& rows, std::int64_t row) {
    std::vector<std::string> texts;
    for (int column = 0; column < LogRows::kColumns; ++column) {
        texts.push_back(rows.text(row, column).value_or("<none>"));
    }
    return texts;
}

std::vector<std::string> textsOf(const ChangeRow& row) {
    std::vector<std::string> texts;
    for (int column = 0; column < LogRows::kColumns; ++column) {
        texts.push_back(columnText(row, static_cast<ChangeColumn>(column)));
    }
    return texts;
}

ChangeRow variedRow(int i) {
    ChangeRow row;
    row.time = {2026 + i % 3, 1 + i % 12, 1 + i % 31, i % 24, i % 60, (i * 7) % 60};
    row.state = static_cast<modSentrel::FileState>(i % 4);
    if (i % 5 != 0) { // every fifth size could not be read
        row.values.sizeInBytes = i % 7 == 0 ? std::numeric_limits<std::int64_t>::max() : std::int64_t{i} * 1031;
    }
    if (i % 6 != 0) {
        row.values.dateModified = platform::LocalDateTime{1601 + i % 29000, 12 - i % 12, 31 - i % 31, 23, 59, 59};
    }
    row.formats = i % 2 ? kSlashes : kDots;
    return row;
}

TEST(LogRows, EveryColumnOfEveryRowReadsBackAsRecordedAcrossBlocks) {
    LogRows rows;
    const int count = 20000; // several blocks
    for (int i = 0; i < count; ++i) {
        rows.append(variedRow(i));
    }
    ASSERT_EQ(rows.size(), count);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(shownTexts(rows, i), textsOf(variedRow(i))) << "row " << i;
        ASSERT_EQ(rows.icon(i), i % 4 + 1);
    }
    // What those texts are, for the kinds of row the tick records.
    EXPECT_EQ(shownTexts(rows, 3),
              (std::vector<std::string>{"04/04/2026 03:03:21", "No File", "Unknown", "Unknown", "Unknown"}));
    EXPECT_EQ(shownTexts(rows, 6), (std::vector<std::string>{"07.07.2026 06:06:42", "Error", "6,04 kb", "6186", ""}))
        << "an unreadable date";
    EXPECT_EQ(shownTexts(rows, 10),
              (std::vector<std::string>{"11.11.2027 10:10:10", "Error", "", "", "21.02.1611 23:59:59"}))
        << "an unreadable size";
    EXPECT_EQ(rows.text(14, ChangeColumn::SizeInBytes), "9223372036854775807");
}

TEST(LogRows, RowsKeepTheFormatsTheyWereRecordedWith) {
    LogRows rows;
    ChangeRow row{{2026, 12, 6, 6, 41, 39},
                  modSentrel::fsFree,
                  {1536, platform::LocalDateTime{2026, 12, 5, 17, 2, 11}},
                  kSlashes};
    rows.append(row);
    row.formats = kDots;
    rows.append(row);
    row.formats = std::make_shared<FakeFormats>('/', "."); // equal to the first, another object
    rows.append(row);
    EXPECT_EQ(shownTexts(rows, 0),
              (std::vector<std::string>{"06/12/2026 06:41:39", "Free", "1.5 kb", "1536", "05/12/2026 17:02:11"}));
    EXPECT_EQ(shownTexts(rows, 1),
              (std::vector<std::string>{"06.12.2026 06:41:39", "Free", "1,5 kb", "1536", "05.12.2026 17:02:11"}));
    EXPECT_EQ(shownTexts(rows, 2), shownTexts(rows, 0));

    // More formats than the store tells apart: the newest row always shows
    // its own, and the earliest rows keep theirs.
    std::vector<std::shared_ptr<const TextFormats>> many;
    for (std::size_t i = 0; i < LogRows::kMaxFormats + 40; ++i) {
        many.push_back(std::make_shared<FakeFormats>('-', "#" + std::to_string(i)));
        row.formats = many.back();
        rows.append(row);
        ASSERT_EQ(rows.text(rows.size() - 1, ChangeColumn::SizeText), "1#" + std::to_string(i) + "5 kb");
    }
    EXPECT_EQ(rows.text(3, ChangeColumn::SizeText), "1#05 kb");
    EXPECT_EQ(rows.text(200, ChangeColumn::SizeText), "1#1975 kb");
    EXPECT_EQ(rows.text(1, ChangeColumn::DateModified), "05.12.2026 17:02:11");
}

TEST(LogRows, OutOfRangeReadsGiveNothingAndClearGivesTheMemoryBack) {
    LogRows rows;
    const auto empty = rows.memoryUsed();
    EXPECT_EQ(rows.text(0, 0), std::nullopt);
    EXPECT_EQ(rows.icon(0), 0);
    for (int i = 0; i < 10000; ++i) {
        rows.append(variedRow(i));
    }
    EXPECT_EQ(rows.text(10000, 0), std::nullopt);
    EXPECT_EQ(rows.text(-1, 0), std::nullopt);
    EXPECT_EQ(rows.text(0, 5), std::nullopt);
    EXPECT_EQ(rows.text(0, -1), std::nullopt);
    EXPECT_EQ(rows.icon(10000), 0);
    // Loose: what a row costs does not grow with the row count.
    EXPECT_LE(rows.memoryUsed() / 10000, 32u);

    rows.clear();
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(rows.memoryUsed(), empty);
    EXPECT_EQ(rows.text(0, 0), std::nullopt);
    rows.append(variedRow(1));
    EXPECT_EQ(shownTexts(rows, 0), textsOf(variedRow(1)));

    // A row without formats shows its numbers and empty dates.
    ChangeRow bare{{2026, 1, 2, 3, 4, 5}, modSentrel::fsFree, {2048, std::nullopt}, nullptr};
    rows.append(bare);
    EXPECT_EQ(shownTexts(rows, 1), (std::vector<std::string>{"", "Free", "2 kb", "2048", ""}));
}

} // namespace
