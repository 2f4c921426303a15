// What other programs' sharing modes do to a copy on Windows.

#include "copies/FileCopyClass.h"

#include "support/fileHolder.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

// A viewer that keeps the previous copy open without delete sharing: the copy
// cannot replace it, ends quietly, and the older copy stays whole.
TEST(CopierWin32, ADestinationHeldOpenByAViewerKeepsTheOlderCopy) {
    TempDir dir;
    const auto source = dir.write("Log.csv", std::string(100000, 'n'));
    const auto destination = dir.write("LogTemp.csv", "older copy");
    testsupport::FileHolder viewer(destination, "r");
    ASSERT_TRUE(viewer.holding());
    FileCopyClass copier;
    copier.Copy(source, destination);
    EXPECT_FALSE(copier.Sucessfull());
    EXPECT_EQ(readFile(destination), "older copy");
    EXPECT_EQ(viewer.release(), 0);
}

} // namespace
