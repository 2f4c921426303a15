#include "platform/portable/iniFile.h"

#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

using namespace platform::ini;

namespace {

struct ReadCase {
    const char* name;
    std::string_view text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

// What a hand-edited file may hold, and what a read makes of it.
const ReadCase kReads[] = {
    {"CrLf", "[Main]\r\nINTERVAL=500\r\n", "Main", "Interval", "500"},
    {"LfOnly", "[Main]\nINTERVAL=500\nBEEP=1\n", "main", "beep", "1"},
    {"NoFinalLineEnd", "[Main]\r\nBEEP=1", "Main", "Beep", "1"},
    {"BlanksAroundEverything", "  [ Main ]  \r\n\t Interval \t=  250 \t\r\n", "Main", "Interval", "250"},
    {"ValueKeepsInnerBlanks", "[Main]\r\nFILENAME= Z:\\a b\\c.csv \r\n", "Main", "FileName", "Z:\\a b\\c.csv"},
    {"FirstEqualsSplits", "[Main]\r\nK=a=b\r\n", "Main", "K", "a=b"},
    {"DoubleQuotesRemoved", "[Main]\r\nK=\"quoted\"\r\n", "Main", "K", "quoted"},
    {"SingleQuotesRemoved", "[Main]\r\nK='quoted'\r\n", "Main", "K", "quoted"},
    {"OnlyOnePairRemoved", "[Main]\r\nK=\"\"x\"\"\r\n", "Main", "K", "\"x\""},
    {"QuotesAfterTrimKeepInnerBlanks", "[Main]\r\nK=  \" x \"  \r\n", "Main", "K", " x "},
    {"UnpairedQuoteKept", "[Main]\r\nK=\"half\r\n", "Main", "K", "\"half"},
    {"MixedQuotesKept", "[Main]\r\nK=\"x'\r\n", "Main", "K", "\"x'"},
    {"EmptyValue", "[Main]\r\nBEEP=\r\n", "Main", "Beep", ""},
    {"MissingKey", "[Main]\r\nBEEP=1\r\n", "Main", "Copy", std::nullopt},
    {"MissingSection", "[Other]\r\nBEEP=1\r\n", "Main", "Beep", std::nullopt},
    {"EmptyText", "", "Main", "Beep", std::nullopt},
    {"KeyOfAnotherSection", "[Main]\r\nA=1\r\n[Other]\r\nBEEP=1\r\n", "Main", "Beep", std::nullopt},
    {"FirstOfDuplicateKeys", "[Main]\r\nK=1\r\nk=2\r\n", "Main", "K", "1"},
    {"OnlyFirstOfDuplicateSections", "[Main]\r\nA=1\r\n[Main]\r\nB=2\r\n", "Main", "B", std::nullopt},
    {"KeyBeforeAnySection", "TOP=1\r\n[Main]\r\nA=1\r\n", "Main", "Top", std::nullopt},
    {"KeyBeforeAnySectionInNoSection", "TOP=1\r\n[Main]\r\nA=1\r\n", "", "top", std::nullopt},
    {"EmptySectionNameIsTheEmptyHeader", "TOP=1\r\n[Main]\r\n[ ]\r\nTOP=2\r\n", "", "top", "2"},
    {"CrOnly", "[Main]\rINTERVAL=250\rBEEP=1\r", "Main", "Beep", "1"},
    {"MixedLineEnds", "[Main]\r\nA=1\rB=2\nC=3\n\rD=4", "Main", "C", "3"},
    {"MixedLineEndsLast", "[Main]\r\nA=1\rB=2\nC=3\n\rD=4", "Main", "D", "4"},
    {"HeaderNameRunsToTheLastBracket", "[Oth]er] x\r\nB=2\r\n", "Oth]er", "B", "2"},
    {"BlanksAroundNamesPassedIn", "[Main]\r\nK=1\r\n", " Main\t", " k ", "1"},
    {"KeyWithoutEqualsHasNoValue", "[Main]\r\njunk line\r\njunk line=1\r\n", "Main", "junk line", std::nullopt},
    {"BracketWithoutCloseIsAKey", "[Main]\r\n[Other=1\r\n", "Main", "[other", "1"},
    {"CtrlZIsABlank", "[Main]\r\nK=\x1Av\x1A\r\n", "Main", "K", "v"},
    {"CommentIsNoKey", "[Main]\r\n; comment\r\nK=1\r\n", "Main", "; comment", std::nullopt},
    {"CommentedOutKeyIgnored", "[Main]\r\n;K=1\r\n", "Main", "K", std::nullopt},
    {"UnclosedHeaderIsNoSection", "[Main]\r\n[Other\r\nM=2\r\n", "Main", "M", "2"},
    {"ByteOrderMarkBeforeAKeyLine", "\xEF\xBB\xBFK=1\r\n[]\r\nK=2\r\n", "", "K", "2"},
    {"Utf8ByteOrderMark", "\xEF\xBB\xBF[Main]\r\nK=1\r\n", "Main", "K", "1"},
    {"Utf8Text", "[Main]\r\nFILENAME=/home/jürgen/ölpreis.csv\r\n", "Main", "FileName", "/home/jürgen/ölpreis.csv"},
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsTheValue) {
    const auto& c = GetParam();
    EXPECT_EQ(findValue(c.text, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRead, ::testing::ValuesIn(kReads),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct WriteCase {
    const char* name;
    std::string_view text;
    const char* section;
    const char* key;
    const char* value;
    std::string_view expected;
};

// Every line the write does not concern keeps its bytes.
const WriteCase kWrites[] = {
    {"NewFile", "", "Main", "INTERVAL", "500", "[Main]\r\nINTERVAL=500\r\n"},
    {"ReplaceKeepsNameSpelling", "[Main]\r\nInterval = 250 \r\nB=1\r\n", "Main", "INTERVAL", "300",
     "[Main]\r\nInterval=300\r\nB=1\r\n"},
    {"ReplaceOnlyFirstDuplicate", "[Main]\r\nK=1\r\nK=2\r\n", "Main", "K", "x", "[Main]\r\nK=x\r\nK=2\r\n"},
    {"LfFileStaysLf", "[Main]\nA=1\n\n[Other]\nB=2\n", "Main", "NEW", "v", "[Main]\nA=1\nNEW=v\n\n[Other]\nB=2\n"},
    {"LfFileNewSection", "[Other]\nB=2\n", "Main", "NEW", "v", "[Other]\nB=2\n[Main]\nNEW=v\n"},
    {"ReplaceInLfFile", "[Main]\nA=1\n", "Main", "A", "2", "[Main]\nA=2\n"},
    {"BlankLinesAndCommentsKept", "; top\r\n\r\n[Main]\r\n  A = 1\r\n; note\r\njunk\r\n\r\n\r\n[Z]\r\n", "Main", "NEW",
     "v", "; top\r\n\r\n[Main]\r\n  A = 1\r\n; note\r\njunk\r\nNEW=v\r\n\r\n\r\n[Z]\r\n"},
    {"EmptySectionGetsKeyAfterHeader", "[Main]\r\n\r\n[Z]\r\n", "Main", "K", "1", "[Main]\r\nK=1\r\n\r\n[Z]\r\n"},
    {"FirstOfDuplicateSections", "[Main]\r\nA=1\r\n[Main]\r\nB=2\r\n", "Main", "B", "9",
     "[Main]\r\nA=1\r\nB=9\r\n[Main]\r\nB=2\r\n"},
    {"NoFinalLineEndAppend", "[Main]\r\nK=1", "Main", "N", "2", "[Main]\r\nK=1\r\nN=2\r\n"},
    {"NoFinalLineEndReplace", "[Main]\r\nK=1", "Main", "K", "2", "[Main]\r\nK=2\r\n"},
    {"NoFinalLineEndNewSection", "[Other]\r\nK=1", "Main", "K", "2", "[Other]\r\nK=1\r\n[Main]\r\nK=2\r\n"},
    {"BlanksAroundTheValueKeptInQuotes", "", "Main", "FILENAME", "/tmp/report.csv ",
     "[Main]\r\nFILENAME=\"/tmp/report.csv \"\r\n"},
    {"QuotesAroundTheValueKeptInQuotes", "[Main]\r\n", "Main", "K", "'x'", "[Main]\r\nK=\"'x'\"\r\n"},
    {"LoneQuoteAsItIs", "[Main]\r\n", "Main", "K", "\"x", "[Main]\r\nK=\"x\r\n"},
    {"CrOnlyFileStaysCrOnly", "[Main]\rA=1\r[Other]\rB=2", "Main", "NEW", "v", "[Main]\rA=1\rNEW=v\r[Other]\rB=2"},
    {"CrOnlyFileNewSection", "[Other]\rB=2", "Main", "NEW", "v", "[Other]\rB=2\r[Main]\rNEW=v\r"},
    {"MixedFileTakesItsFirstLineEnd", "[Main]\nA=1\r\n", "Main", "NEW", "v", "[Main]\nA=1\r\nNEW=v\n"},
    {"CrBeforeAnLfWouldJoinIt", "[Main]\rA=1\r\n\n[Z]\r", "Main", "NEW", "v", "[Main]\rA=1\r\nNEW=v\n\n[Z]\r"},
    {"BlanksAroundNamesDropped", "[Main]\r\n", " Main ", "\tK ", "v", "[Main]\r\nK=v\r\n"},
    {"KeyWithoutEqualsGetsItsValue", "[Main]\r\njunk line\r\n", "Main", "Junk Line", "v", "[Main]\r\njunk line=v\r\n"},
    {"EmptyValue", "[Main]\r\nK=1\r\n", "Main", "K", "", "[Main]\r\nK=\r\n"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[Main]\r\nK=1\r\n", "Main", "K", "2", "\xEF\xBB\xBF[Main]\r\nK=2\r\n"},
    {"EmptySectionNameAfterByteOrderMark", "\xEF\xBB\xBF[Main]\r\nK=1\r\n", "", "K", "2",
     "\xEF\xBB\xBF[Main]\r\nK=1\r\n[]\r\nK=2\r\n"},
    {"ByteOrderMarkAlone", "\xEF\xBB\xBF", "Main", "K", "1", "\xEF\xBB\xBF[Main]\r\nK=1\r\n"},
    {"SectionMatchIgnoresCase", "[MAIN]\r\nA=1\r\n", "Main", "B", "2", "[MAIN]\r\nA=1\r\nB=2\r\n"},
};

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyTheKeysLine) {
    const auto& c = GetParam();
    const auto result = withValue(c.text, c.section, c.key, c.value);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, c.expected);
    EXPECT_EQ(findValue(*result, c.section, c.key), std::string(c.value));
    // Writing it again changes nothing.
    EXPECT_EQ(withValue(*result, c.section, c.key, c.value), *result);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWrite, ::testing::ValuesIn(kWrites),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(IniWriteRefused, WhatCouldNotBeReadBackAsWritten) {
    const std::string text = "[Main]\r\nK=1\r\n";
    EXPECT_FALSE(withValue(text, "Main", "K", "a\r\nB=2"));
    EXPECT_FALSE(withValue(text, "Main", "K", "a\nb"));
    EXPECT_FALSE(withValue(text, "Main", "K\n", "1"));
    EXPECT_FALSE(withValue(text, "Main", "A=B", "1"));
    EXPECT_FALSE(withValue(text, "Ma]in", "K", "1"));
    EXPECT_FALSE(withValue(text, "Ma\rin", "K", "1"));
    // Such a key line would read as the header of a section "x".
    EXPECT_FALSE(withValue(text, "Main", "[x]", "v"));
    EXPECT_FALSE(withValue(text, "Main", " [x", "v]"));
}

TEST(IniFirstChars, CountsCharactersAndNeverSplitsOne) {
    EXPECT_EQ(firstChars("abc", 2), "ab");
    EXPECT_EQ(firstChars("abc", 5), "abc");
    EXPECT_EQ(firstChars("äöü", 2), "äö");
    EXPECT_EQ(firstChars("a€b", 2), "a€");
    EXPECT_EQ(firstChars("abc", 0), "");
}

class IniFileCalls : public ::testing::Test {
protected:
    testsupport::TempDir m_dir;
};

TEST_F(IniFileCalls, ReadGivesDefaultForMissingFileAndCutsToTheBuffer) {
    const auto file = m_dir.path("Settings.ini");
    EXPECT_EQ(getString("Main", "K", "default", 750, file), "default");
    EXPECT_EQ(getString("Main", "K", "default", 4, file), "def");
    EXPECT_EQ(getString("Main", "K", "default", 0, file), "");
    // As the profile functions give a default: blanks at its end and quotes around it are dropped.
    EXPECT_EQ(getString("Main", "K", " def  ", 750, file), " def");
    EXPECT_EQ(getString("Main", "K", "\" q \"", 750, file), " q ");
    EXPECT_EQ(getString("Main", "K", "d\t", 750, file), "d\t");
    m_dir.write("Settings.ini", "[Main]\r\nK=" + std::string(800, 'v') + "\r\n");
    EXPECT_EQ(getString("Main", "K", "", 750, file), std::string(749, 'v'));
}

TEST_F(IniFileCalls, WriteThenReadRoundTrips) {
    const auto file = m_dir.path("Settings.ini");
    EXPECT_TRUE(writeString("Main", "INTERVAL", "500", file));
    EXPECT_TRUE(writeString("Main", "INTERVAL", "500", file));
    EXPECT_TRUE(writeString("Other", "A", "x y", file));
    EXPECT_EQ(getString("main", "interval", "", 750, file), "500");
    EXPECT_EQ(getString("other", "a", "", 750, file), "x y");
    EXPECT_EQ(testsupport::readFile(file), "[Main]\r\nINTERVAL=500\r\n[Other]\r\nA=x y\r\n");
}

TEST_F(IniFileCalls, FolderInPlaceOfTheFileIsNeitherReadNorReplaced) {
    std::filesystem::create_directory(m_dir.fsPath() / "Settings.ini");
    const auto file = m_dir.path("Settings.ini");
    EXPECT_EQ(getString("Main", "K", "d", 750, file), "d");
    EXPECT_FALSE(writeString("Main", "K", "1", file));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.fsPath() / "Settings.ini"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.fsPath()), {}), 1);
}

} // namespace
