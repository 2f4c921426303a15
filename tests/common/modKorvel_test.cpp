#include "common/modKorvel.h"

#include "common/userMessage.h"
#include "common/version.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace modKorvel;

namespace {

// The path rules are run in Windows form (backslash) and in the native
// Linux form (slash), where the other character is an ordinary one.
class PathRules : public ::testing::TestWithParam<char> {
protected:
    // Writes a Windows-form example in the separator under test.
    std::string p(std::string text) const {
        for (auto& c : text) {
            if (c == '\\') {
                c = GetParam();
            }
        }
        return text;
    }
    char sep() const { return GetParam(); }
};

TEST_P(PathRules, FileNameWithAndWithoutExtension) {
    EXPECT_EQ(GetFileName(p("C:\\Data\\report.csv"), true, sep()), "report");
    EXPECT_EQ(GetFileName(p("C:\\Data\\report.csv"), false, sep()), "report.csv");
    EXPECT_EQ(GetFileName("report.csv", true, sep()), "report");
    EXPECT_EQ(GetFileName("report.csv", false, sep()), "report.csv");
    EXPECT_EQ(GetFileName(p("C:\\Data\\archive.tar.gz"), true, sep()), "archive.tar");
    // No full stop in the name, even when the folder has one.
    EXPECT_EQ(GetFileName(p("C:\\my.data\\README"), true, sep()), "");
    EXPECT_EQ(GetFileName(p("C:\\Data\\README"), false, sep()), "README");
    // A name whose only full stop is its first character.
    EXPECT_EQ(GetFileName(p("C:\\home\\.profile"), true, sep()), "");
    EXPECT_EQ(GetFileName(p("C:\\home\\.profile"), false, sep()), ".profile");
    // A path ending in a separator names no file.
    EXPECT_EQ(GetFileName(p("C:\\Data\\"), false, sep()), "");
    EXPECT_EQ(GetFileName("", false, sep()), "");
}

TEST_P(PathRules, ExtensionSearchesTheWholePath) {
    EXPECT_EQ(GetExtension(p("C:\\Data\\report.csv")), "csv");
    EXPECT_EQ(GetExtension(p("C:\\Data\\README")), p("C:\\Data\\README"));
    EXPECT_EQ(GetExtension(p("C:\\my.data\\README")), p("data\\README"));
    EXPECT_EQ(GetExtension(p("C:\\Data\\report.")), "");
    EXPECT_EQ(GetExtension(""), "");
}

TEST_P(PathRules, FolderKeepsItsLastSeparator) {
    EXPECT_EQ(GetFolder("report.csv", sep()), "");
    EXPECT_EQ(GetFolder(p("C:\\report.csv"), sep()), p("C:\\"));
    EXPECT_EQ(GetFolder(p("C:\\Data\\Sub\\report.csv"), sep()), p("C:\\Data\\Sub\\"));
    EXPECT_EQ(GetFolder("", sep()), "");
}

TEST_P(PathRules, AddBackslashAddsExactlyOne) {
    EXPECT_EQ(AddBackslash(p("C:\\Data\\"), sep()), p("C:\\Data\\"));
    EXPECT_EQ(AddBackslash(p("C:\\Data"), sep()), p("C:\\Data\\"));
    EXPECT_EQ(AddBackslash("", sep()), std::nullopt) << "an empty path is rejected, not made a lone separator";
    EXPECT_EQ(AddBackslash(p("C:\\Data\\\\"), sep()), p("C:\\Data\\"));
    EXPECT_EQ(AddBackslash(p("\\\\"), sep()), p("\\"));
}

TEST_P(PathRules, AppFolderRuleKeepsARootsSingleSeparator) {
    EXPECT_EQ(appFolderFrom(p("C:\\Program Files\\Sentrel"), sep()), p("C:\\Program Files\\Sentrel\\"));
    EXPECT_EQ(appFolderFrom(p("C:\\"), sep()), p("C:\\"));
    EXPECT_EQ(appFolderFrom("/", '/'), "/");
    EXPECT_EQ(appFolderFrom(p("C:\\Sentrel\\\\"), sep()), p("C:\\Sentrel\\"));
}

INSTANTIATE_TEST_SUITE_P(Separators, PathRules, ::testing::Values('\\', '/'),
                         [](const auto& param) { return std::string(param.param == '\\' ? "Backslash" : "Slash"); });

TEST(PathRulesOtherSeparator, IsAnOrdinaryCharacter) {
    EXPECT_EQ(GetFileName("C:/Data\\report.csv", false, '\\'), "report.csv");
    EXPECT_EQ(GetFileName("dir/back\\slash.txt", false, '/'), "back\\slash.txt");
    EXPECT_EQ(GetFolder("C:/Data/report.csv", '\\'), "");
    EXPECT_EQ(AddBackslash("/srv/data/", '\\'), "/srv/data/\\");
}

TEST(AppFolder, IsTheExecutablesFolderWithOneSeparator) {
    const auto folder = AppFolder();
    ASSERT_TRUE(folder.has_value());
    ASSERT_GE(folder->size(), 2u);
    EXPECT_EQ(folder->back(), platform::kPathSeparator);
    EXPECT_NE((*folder)[folder->size() - 2], platform::kPathSeparator);
    // The test programs are built into one folder with their helper program.
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(std::u8string(folder->begin(), folder->end()))));
    EXPECT_EQ(GetFolder(*folder), *folder);
}

TEST(VersionText, RunsMinorAndRevisionTogether) {
    EXPECT_EQ(VersionText(1, 2, 7), "1.27");
    EXPECT_EQ(VersionText(1, 10, 3), "1.103");
    EXPECT_EQ(VersionText(0, 0, 0), "0.00");
    EXPECT_EQ(VersionText(65535, 65535, 65535), "65535.6553565535");
    EXPECT_EQ(VersionText(), VersionText(kVersionMajor, kVersionMinor, kVersionRevision));
}

class FileExistsTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
};

TEST_F(FileExistsTest, TrueOnlyForPlainFiles) {
    const auto file = dir.write("report.csv", "a,b\r\n");
    EXPECT_TRUE(FileExists(file));

    const auto readOnly = dir.write("locked.csv", "x");
    std::filesystem::permissions(dir.fsPath() / "locked.csv", std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    EXPECT_TRUE(FileExists(readOnly));

    std::filesystem::create_directory(dir.fsPath() / "sub");
    EXPECT_FALSE(FileExists(dir.path("sub")));
    EXPECT_FALSE(FileExists(*AddBackslash(dir.path("sub"))));
    EXPECT_FALSE(FileExists(dir.path()));

    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.path("missing.csv")));
    EXPECT_FALSE(FileExists(dir.path("*.csv")));
    EXPECT_FALSE(FileExists(dir.path("report.cs?")));
    EXPECT_FALSE(FileExists(*AddBackslash(file)));
}

} // namespace

// Boxes that open while one of their kind is open only count; another kind gets its own; none follows once
// the program is closing.
TEST(OneBoxPerKind, CountsItsKindAndLetsOthersThrough) {
    OneBoxPerKind boxes;
    std::vector<std::string> drawn;
    bool closing = false;
    const auto goOn = [&] { return !closing; };
    std::function<void(const UserMessage&)> draw = [&](const UserMessage& message) {
        drawn.push_back(message.text);
        if (drawn.size() == 1) {
            boxes.show({"Error saving to log: 61 - Disk full", "", MessageIcon::Critical}, draw, goOn);
            boxes.show({"An error occurred opening 'x': 53 - File not found", "", MessageIcon::Critical}, draw, goOn);
        }
    };
    boxes.show({"Error saving to log: 70 - Permission denied", "", MessageIcon::Critical}, draw, goOn);
    EXPECT_EQ(drawn,
              (std::vector<std::string>{
                  "Error saving to log: 70 - Permission denied", "An error occurred opening 'x': 53 - File not found",
                  "Error saving to log: 61 - Disk full\n\nThis happened once more while the message was open."}));

    drawn.clear();
    closing = true;
    boxes.show({"Error saving to log: 70 - Permission denied", "", MessageIcon::Critical}, draw, goOn);
    EXPECT_EQ(drawn.size(), 2u) << "the other kind still shows; no follow-up while closing";
}
