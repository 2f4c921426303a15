#include "app/modKorvelIni.h"

#include "common/modKorvel.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

using namespace modKorvel;

namespace {

// The file's bytes once every write asked for has reached it: writes return
// before the file is written.
std::string readFile(const std::string& path) {
    EXPECT_TRUE(flushIniWrites(std::chrono::minutes(1)));
    return testsupport::readFile(path);
}

// These run against the platform's own profile backend on real files: the
// portable one on Linux, the Win32 profile functions under Wine.
class SettingsStore : public ::testing::Test {
protected:
    std::string ini(std::string_view bytes) { return m_dir.write("Settings.ini", bytes); }
    std::string path() const { return m_dir.path("Settings.ini"); }
    std::string read(const std::string& key, const std::string& defaultValue) {
        return ReadIniSetting("Main", key, path(), defaultValue);
    }

    testsupport::TempDir m_dir;
};

const std::string kDefaultFile = "Z:\\CURRENT DOWNLOAD\\current.csv";

void makeReadOnly(const std::string& path) {
    std::filesystem::permissions(std::filesystem::u8path(path),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}

TEST_F(SettingsStore, FirstStartCreatesTheEightKeysInReadOrder) {
    // The window's start-up reads, in its order, each with its default.
    EXPECT_EQ(read("Interval", "500"), "500");
    for (const char* key : {"Monitor", "Beep", "Notify", "Copy"}) {
        EXPECT_EQ(read(key, "0"), "0") << key;
    }
    EXPECT_EQ(read("Balloon", "1"), "1");
    EXPECT_EQ(read("FollowLog", "1"), "1");
    EXPECT_EQ(read("FileName", kDefaultFile), kDefaultFile);

    EXPECT_EQ(readFile(path()), "[Main]\r\nINTERVAL=500\r\nMONITOR=0\r\nBEEP=0\r\nNOTIFY=0\r\nCOPY=0\r\nBALLOON=1\r\n"
                                "FOLLOWLOG=1\r\nFILENAME=Z:\\CURRENT DOWNLOAD\\current.csv\r\n");
    // A second start finds every value and changes nothing.
    EXPECT_EQ(read("Interval", "999"), "500");
    EXPECT_EQ(read("FileName", "other"), kDefaultFile);
}

TEST_F(SettingsStore, KeysMatchWithoutRegardToCaseAndReadsLeaveTheFileAlone) {
    const std::string content = "[Main]\r\nInterval=250\r\nmonitor=1\r\n";
    ini(content);
    EXPECT_EQ(read("Interval", "500"), "250");
    EXPECT_EQ(read("MONITOR", "0"), "1");
    EXPECT_EQ(ReadIniSetting("MAIN", "interval", path(), "500"), "250");
    EXPECT_EQ(readFile(path()), content);
}

TEST_F(SettingsStore, EmptyOrMissingValueGivesTheDefaultAndStoresIt) {
    ini("[Main]\r\nBEEP=\r\nInterval=250\r\n");
    EXPECT_EQ(read("Beep", "0"), "0");
    EXPECT_EQ(read("Copy", "0"), "0");
    EXPECT_EQ(readFile(path()), "[Main]\r\nBEEP=0\r\nInterval=250\r\nCOPY=0\r\n");
}

TEST_F(SettingsStore, ValuesReadBackAsTheyWereWritten) {
    // Reading drops blanks and a pair of quotes around a value, on Windows too: such values are kept in quotes.
    ini("[Main]\r\nINTERVAL=500\r\n");
    for (const std::string value : {"/tmp/report.csv ", " leading.csv", "'quoted'", "\"both\"", "\"half", "\t"}) {
        WriteIniSetting("Main", "FileName", value, path());
        EXPECT_EQ(read("FileName", kDefaultFile), value);
    }
    const std::string exact(749, 'y');
    WriteIniSetting("Main", "FileName", exact, path());
    EXPECT_EQ(read("FileName", kDefaultFile), exact);
    EXPECT_EQ(read("Interval", "0"), "500");
}

TEST_F(SettingsStore, WritesReplaceInPlaceOrAddAtTheEndOfTheSection) {
    ini("[Main]\r\nINTERVAL=500\r\nMONITOR=0\r\n[Other]\r\nKEEP=1\r\n");
    WriteIniSetting("Main", "Interval", "750", path());
    WriteIniSetting("Main", "monitor", "1", path());
    WriteIniSetting("Main", "Balloon", "0", path());
    EXPECT_EQ(readFile(path()), "[Main]\r\nINTERVAL=750\r\nMONITOR=1\r\nBALLOON=0\r\n[Other]\r\nKEEP=1\r\n");
    EXPECT_EQ(read("Interval", "500"), "750");
}

TEST_F(SettingsStore, WritesInARowEndAsIfEachHadBeenWrittenInTurn) {
    // Typing in the interval box asks for a write per keystroke, between
    // writes of other keys and sections.
    ini("[Main]\r\nINTERVAL=500\r\n");
    for (int i = 0; i < 200; ++i) {
        WriteIniSetting("Main", "Interval", std::to_string(i), path());
        if (i % 50 == 0) {
            WriteIniSetting("Main", "Monitor", std::to_string(i), path());
        }
    }
    WriteIniSetting("Other", "Interval", "x", path());
    WriteIniSetting("Third", "Interval", "y", path());
    WriteIniSetting("Main", "Beep", "1", path());
    // A read waits for the writes before it.
    EXPECT_EQ(read("Interval", "500"), "199");
    EXPECT_EQ(readFile(path()), "[Main]\r\nINTERVAL=199\r\nMONITOR=150\r\nBEEP=1\r\n[Other]\r\nINTERVAL=x\r\n"
                                "[Third]\r\nINTERVAL=y\r\n");
}

TEST_F(SettingsStore, WriteCreatesTheFileAndSection) {
    WriteIniSetting("Main", "Copy", "1", path());
    EXPECT_EQ(readFile(path()), "[Main]\r\nCOPY=1\r\n");
    ini("[Other]\r\nA=1\r\n");
    WriteIniSetting("Main", "Copy", "2", path());
    EXPECT_EQ(readFile(path()), "[Other]\r\nA=1\r\n[Main]\r\nCOPY=2\r\n");
}

TEST_F(SettingsStore, ReadOnlyFileIsReadButNeverChanged) {
    const std::string content = "[Main]\r\nINTERVAL=250\r\nBEEP=\r\n";
    ini(content);
    makeReadOnly(path());
    EXPECT_EQ(read("Interval", "500"), "250");
    EXPECT_EQ(read("Beep", "0"), "0");
    EXPECT_EQ(read("Notify", "0"), "0");
    WriteIniSetting("Main", "Interval", "100", path());
    WriteIniSetting("Main", "Copy", "1", path());
    EXPECT_EQ(readFile(path()), content);
    EXPECT_EQ(read("Interval", "500"), "250");
}

TEST_F(SettingsStore, AFileThatCannotKeepTheSettingsIsNamedWithTheReason) {
    const std::string content = "[Main]\r\nINTERVAL=250\r\n";
    ini(content);
    EXPECT_EQ(settings::fileProblem(path()), std::nullopt);
    EXPECT_EQ(readFile(path()), content);

    makeReadOnly(path());
    const auto readOnly = settings::fileProblem(path()).value_or("");
    EXPECT_EQ(readOnly.rfind("The settings file " + path() + " cannot be written (", 0), 0u) << readOnly;
    EXPECT_EQ(readFile(path()), content);

    const auto folder = m_dir.path("Folder.ini");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    const auto notAFile = settings::fileProblem(folder).value_or("");
    EXPECT_NE(notAFile.find(folder + " cannot be read"), std::string::npos) << notAFile;
    EXPECT_NE(notAFile.find("runs with its default settings"), std::string::npos) << notAFile;
}

TEST_F(SettingsStore, MissingFolderGivesDefaultsAndCreatesNothing) {
    const auto nowhere = m_dir.path("missing") + std::string(1, platform::kPathSeparator) + "Settings.ini";
    EXPECT_EQ(ReadIniSetting("Main", "Interval", nowhere, "500"), "500");
    WriteIniSetting("Main", "Interval", "250", nowhere);
    EXPECT_TRUE(flushIniWrites(std::chrono::minutes(1)));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(m_dir.path("missing"))));
}

TEST_F(SettingsStore, ValueWithALineBreakIsNotStored) {
    // Stored as it is, the text after the break would become lines of its own.
    ini("[Main]\r\nFILENAME=a.csv\r\n");
    WriteIniSetting("Main", "FileName", "b.csv\r\n[Main]\r\nMONITOR=1", path());
    WriteIniSetting("Main", "Copy", "x\ny", path());
    EXPECT_EQ(readFile(path()), "[Main]\r\nFILENAME=a.csv\r\n");
}

TEST(SettingsStoreFile, EmptyFileNameMeansSettingsIniInTheApplicationFolder) {
    const auto folder = AppFolder();
    ASSERT_TRUE(folder);
    const auto file = std::filesystem::u8path(*folder + "Settings.ini");
    std::filesystem::remove(file);
    WriteIniSetting("StoreTest", "Probe", "1", "");
    EXPECT_EQ(ReadIniSetting("StoreTest", "probe", "", "0"), "1");
    EXPECT_EQ(readFile(*folder + "Settings.ini"), "[StoreTest]\r\nPROBE=1\r\n");
    std::filesystem::remove(file);
}

} // namespace
