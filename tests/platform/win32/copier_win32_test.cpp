// What other programs' sharing modes and renames do to a copy on Windows,
// where the copier opens its source again for every chunk.

#include "copies/FileCopyClass.h"

#include "support/fileHolder.h"
#include "support/folderContents.h"
#include "support/largeFile.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

using testsupport::folderContents;
using testsupport::TempDir;
using Contents = std::map<std::string, std::string>;

namespace {

// A viewer that keeps the previous copy open without delete sharing: the copy
// cannot replace it, fails, and the older copy stays whole.
TEST(CopierWin32, ADestinationHeldOpenByAViewerKeepsTheOlderCopy) {
    TempDir dir;
    const std::string log(100000, 'n');
    const auto source = dir.write("Log.csv", log);
    const auto destination = dir.write("LogTemp.csv", "older copy");
    testsupport::FileHolder viewer(destination, "r");
    ASSERT_TRUE(viewer.holding());
    FileCopyClass copier;
    copier.Copy(source, destination);
    EXPECT_FALSE(copier.Sucessfull());
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
    EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::PermissionDenied);
    EXPECT_EQ(folderContents(dir.fsPath()), (Contents{{"Log.csv", log}, {"LogTemp.csv", "older copy"}}));
    EXPECT_EQ(viewer.release(), 0);
}

// Between chunks the copier holds nothing, so another file can take the
// source's name; the next chunk would come from that file, and the copy ends.
TEST(CopierWin32, AVersionReplacedOrDeletedDuringItsCopyEndsItAndKeepsNothing) {
    struct Case {
        const char* name;
        std::int64_t size;
        std::function<void(const TempDir&, const std::string&)> change;
    };
    const Case cases[] = {
        {"a new version renamed over it", std::int64_t{200} << 20,
         [](const TempDir& dir, const std::string& source) {
             const auto newer = dir.path("newer.bin");
             ASSERT_TRUE(testsupport::writePatternFile(newer, 1 << 20, 2));
             std::filesystem::rename(testsupport::nativePath(newer), testsupport::nativePath(source));
         }},
        {"deleted", std::int64_t{8} << 20,
         [](const TempDir&, const std::string& source) { std::filesystem::remove(testsupport::nativePath(source)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.fsPath() / "Copies");
        const auto source = dir.path("current.bin");
        const auto destination = dir.path("Copies\\copy.bin");
        ASSERT_TRUE(testsupport::writePatternFile(source, c.size, 1));
        int pass = 0;
        FileCopyClass copier;
        copier.setPassHook([&] {
            if (++pass == 2) {
                c.change(dir, source);
            }
        });
        copier.Copy(source, destination);
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::SourceChanged);
        EXPECT_EQ(pass, 2);
        EXPECT_TRUE(folderContents(dir.fsPath() / "Copies").empty());
    }
}

} // namespace
