#include "log/rowCopies.h"

#include <gtest/gtest.h>

using logview::RowCopies;
using logview::RowCopyState;

// Rows recorded while a copy runs wait for the next one; rows it overtook
// were replaced before they could be copied; a failure reaches only the row
// that waited for it.
TEST(RowCopies, ACopySettlesTheRowsRecordedBeforeItBegan) {
    RowCopies rows;
    rows.recorded(1, RowCopyState::Copying);
    rows.recorded(2, RowCopyState::Copying);
    const auto begun = rows.newest(2);
    rows.recorded(3, RowCopyState::Copying); // while the copy runs
    rows.copied(begun, true, "/c/one");
    EXPECT_EQ(rows.at(1).state, RowCopyState::Replaced);
    EXPECT_EQ(rows.at(2).path, "/c/one");
    EXPECT_EQ(rows.at(3).state, RowCopyState::Copying);
    EXPECT_EQ(rowCopyTip(rows.at(3)), "Still copying");

    rows.copied(rows.newest(3), false, "/c/two"); // the file changed again before the copy
    EXPECT_EQ(rows.at(3).state, RowCopyState::Replaced);
    rows.recorded(4, RowCopyState::Copying);
    rows.copiedBefore(rows.newest(4), true);
    EXPECT_EQ(rows.at(4).path, "/c/two") << "an unchanged version leads to its newest copy";

    rows.failed(rows.newest(4), "full");
    EXPECT_EQ(rows.at(4).state, RowCopyState::Copied) << "a manual copy's failure takes no copy away";
    rows.recorded(5, RowCopyState::Copying);
    const auto cleared = rows.newest(5);
    rows.clear();
    rows.recorded(1, RowCopyState::Copying);
    rows.failed(cleared, "full");
    EXPECT_EQ(rows.at(1).state, RowCopyState::Copying) << "a copy begun before the list was cleared settles nothing";
    rows.copiedBefore(rows.newest(1), true);
    EXPECT_EQ(rows.at(1).path, "/c/two");
    EXPECT_EQ(rows.at(9).state, RowCopyState::CopiesOff);
}
