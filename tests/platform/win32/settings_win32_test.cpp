// The portable INI reader and writer against the real Win32 profile functions:
// the same sequences of reads and writes on two copies of the same file must
// give the same values and leave the same bytes, except where a case names
// the deliberate difference, or where Wine's functions read otherwise than
// Windows' own (the case then says what Windows reads).

#include "app/modKorvelIni.h"
#include "platform/portable/iniFile.h"
#include "platform/profile.h"

#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Step {
    enum class Kind {
        Read,    // a read with `value` as the default text
        Write,   // a write of `value`
        Setting, // the settings store's read: lower-case key, "" default, the default written back when empty
    };
    Kind kind;
    const char* section;
    const char* key;
    std::string value;
};

Step read(const char* section, const char* key, std::string defaultText = "<default>") {
    return {Step::Kind::Read, section, key, std::move(defaultText)};
}
Step write(const char* section, const char* key, std::string value) {
    return {Step::Kind::Write, section, key, std::move(value)};
}
Step setting(const char* key, std::string defaultValue) {
    return {Step::Kind::Setting, "Main", key, std::move(defaultValue)};
}

struct Case {
    const char* name;
    std::optional<std::string> initial; // nullopt: no file at the start
    std::vector<Step> steps;
    // A deliberate difference: why, and the bytes the portable writer leaves instead.
    const char* difference = nullptr;
    std::string ours;
    // Where Wine reads otherwise than Windows: the values Windows reads, which the portable reader gives.
    std::vector<std::string> windows = {};
};

struct Backend {
    std::string (*get)(const std::string&, const std::string&, const std::string&, std::size_t, const std::string&);
    bool (*put)(const std::string&, const std::string&, const std::string&, const std::string&);
};

const Backend kWin32{platform::getProfileString, platform::writeProfileString};
const Backend kPortable{platform::ini::getString, platform::ini::writeString};

std::string lowerAscii(std::string text) {
    for (auto& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}
std::string upperAscii(std::string text) {
    for (auto& c : text) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

// Runs the steps on one file; gives every value read, then the file's bytes (or "<no file>").
std::vector<std::string> run(const Backend& backend, const Case& c, const testsupport::TempDir& dir,
                             const char* fileName) {
    const auto file = dir.path(fileName);
    if (c.initial) {
        dir.write(fileName, *c.initial);
    }
    std::vector<std::string> seen;
    for (const auto& step : c.steps) {
        switch (step.kind) {
        case Step::Kind::Read:
            seen.push_back(backend.get(step.section, step.key, step.value, 750, file));
            break;
        case Step::Kind::Write:
            backend.put(step.section, step.key, step.value, file);
            break;
        case Step::Kind::Setting: {
            auto value = backend.get(step.section, lowerAscii(step.key), "", 750, file);
            if (value.empty()) {
                backend.put(step.section, upperAscii(step.key), step.value, file);
                value = step.value;
            }
            seen.push_back(value);
            break;
        }
        }
    }
    seen.push_back(std::filesystem::exists(dir.fsPath() / fileName) ? testsupport::readFile(file) : "<no file>");
    return seen;
}

std::string visible(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

const std::string kLong(800, 'L');

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"FirstStartWithoutFile",
         std::nullopt,
         {setting("Interval", "500"), setting("Monitor", "0"), setting("Beep", "0"), setting("Notify", "0"),
          setting("Copy", "0"), setting("Balloon", "1"), setting("FollowLog", "1"),
          setting("FileName", "Z:\\CURRENT DOWNLOAD\\current.csv"), setting("Interval", "999")},
         nullptr,
         ""},
        {"MissingFileRead", std::nullopt, {read("Main", "Interval"), read("Main", "Interval", "")}, nullptr, ""},
        {"EmptyFile", "", {read("Main", "K"), write("Main", "K", "v"), read("Main", "k")}, nullptr, ""},
        {"MixedCaseKeys",
         "[Main]\r\nInterval=250\r\nmonitor=1\r\n",
         {read("Main", "interval"), read("MAIN", "INTERVAL"), read("main", "Monitor"), write("Main", "INTERVAL", "300"),
          write("Main", "MONITOR", "0"), read("Main", "interval")},
         nullptr,
         ""},
        {"EmptyValues",
         "[Main]\r\nBEEP=\r\nCOPY=\r\n",
         {read("Main", "beep"), read("Main", "beep", ""), setting("Beep", "0"), write("Main", "COPY", ""),
          read("Main", "copy")},
         nullptr,
         ""},
        {"MissingSection",
         "[Other]\r\nA=1\r\n",
         {read("Main", "a"), setting("Interval", "500"), write("Main", "BEEP", "1"), read("Other", "a")},
         nullptr,
         ""},
        {"DuplicateKeys",
         "[Main]\r\nK=1\r\nk=2\r\nK=3\r\n",
         {read("Main", "k"), write("Main", "K", "x"), read("Main", "K")},
         nullptr,
         ""},
        {"LongValues",
         "[Main]\r\nFILENAME=" + kLong + "\r\n",
         {read("Main", "filename"), write("Main", "NEW", kLong), read("Main", "new"), setting("FileName", "d")},
         nullptr,
         ""},
        {"Comments",
         "; settings\r\n[Main]\r\n; note=1\r\n;K=2\r\nA=1\r\n# hash\r\n",
         {read("Main", "a"), read("Main", "k"), read("Main", "; note"), write("Main", "K", "3"),
          write("Main", "A", "4")},
         nullptr,
         ""},
        {"LinesWithoutEquals",
         "[Main]\r\njunk line\r\nA=1\r\n[Other\r\nM=2\r\n",
         {read("Main", "junk line"), read("Main", "m"), read("Other", "m"), write("Main", "A", "5"),
          write("Main", "B", "6")},
         nullptr,
         ""},
        {"Quotes",
         "[Main]\r\nD=\"double\"\r\nS='single'\r\nH=\"half\r\nM=\"mixed'\r\nI=\" inner \"\r\nE=\"\"\r\n",
         {read("Main", "d"), read("Main", "s"), read("Main", "h"), read("Main", "m"), read("Main", "i"),
          read("Main", "e"), write("Main", "D", "\"new\""), read("Main", "d")},
         nullptr,
         ""},
        {"CanonicalCrLfFile",
         "[Main]\r\nINTERVAL=500\r\nMONITOR=0\r\n[Other]\r\nX=1\r\n",
         {write("Main", "INTERVAL", "250"), write("Main", "BEEP", "1"), write("Other", "Y", "2"),
          write("Third", "Z", "3"), read("Main", "beep"), read("third", "z")},
         nullptr,
         ""},
        {"BlanksAroundTheRewrittenKey",
         "[Main]\r\n  Interval \t=  250 \r\n",
         {read("Main", "interval"), write("Main", "INTERVAL", "300"), read("Main", "interval")},
         nullptr,
         ""},
        {"LeadingBlanksOfWrittenValue",
         "[Main]\r\n",
         {write("Main", "K", "   spaced  "), read("Main", "k")},
         nullptr,
         ""},
        {"QuotesWithBlanksAround",
         "[Main]\r\nI=  \" inner \"  \r\nJ=\t'x' \r\n",
         {read("Main", "i"), read("Main", "j")},
         nullptr,
         ""},
        {"SectionTwice",
         "[Main]\r\nA=1\r\n[Other]\r\nX=1\r\n[Main]\r\nB=2\r\n",
         {read("Main", "a"), read("Main", "b"), write("Main", "B", "3"), read("Main", "b")},
         nullptr,
         ""},
        {"KeyBeforeAnySection",
         "TOP=1\r\n[Main]\r\nA=1\r\n",
         {read("", "top"), read("Main", "top"), write("Main", "TOP", "2"), read("", "top"), read("Main", "top")},
         nullptr,
         "",
         {"<default>", "<default>", "<default>", "2"}},
        {"SectionNameCase", "[MAIN]\r\nA=1\r\n", {read("main", "a"), write("Main", "B", "2")}, nullptr, ""},
        {"NoFinalLineEnd", "[Main]\r\nK=1", {read("Main", "k"), write("Main", "N", "2")}, nullptr, ""},
        {"NoFinalLineEndRewrite", "[Main]\r\nK=1", {write("Main", "K", "2")}, nullptr, ""},
        {"ByteOrderMark", "\xEF\xBB\xBF[Main]\r\nK=1\r\n", {read("Main", "k"), write("Main", "K", "2")}, nullptr, ""},
        {"DefaultsLoseTheirEndBlanksAndQuotes",
         std::nullopt,
         {read("Main", "k", "def  "), read("Main", "k", "  def"), read("Main", "k", "\"q\" "),
          read("Main", "k", "' q '"), read("Main", "k", "d\t"), read("Main", "k", "  "), read("Main", "k", "\"q")},
         nullptr,
         ""},
        {"ValuesReadingWouldChangeAreQuoted",
         "[Main]\r\n",
         {write("Main", "FILENAME", "/tmp/report.csv "), read("Main", "filename"), write("Main", "A", "  a"),
          write("Main", "B", "\"b\""), write("Main", "C", "'c'"), write("Main", "D", "\"d"), write("Main", "E", "\"\""),
          write("Main", "F", "f\x1A"), read("Main", "a"), read("Main", "b"), read("Main", "c"), read("Main", "d"),
          read("Main", "e"), read("Main", "f")},
         nullptr,
         ""},
        {"BlanksAroundNames",
         "[Main]\r\nA=1\r\n",
         {write(" Main ", "K", "v"), write("Main", " L ", "w"), read("main", "l"), read(" Main ", " l "),
          write("Main", " L ", "x"), write("Main", "\tM\t", "t"), write("Main", "m", "u"), read("Main", "\tm")},
         nullptr,
         ""},
        {"HeaderNameRunsToTheLastBracket",
         "[Main] note\r\nA=1\r\n[Oth]er]\r\nB=2\r\n",
         {read("Main", "a"), read("Oth]er", "b"), read("Oth", "b")},
         nullptr,
         ""},
        {"KeysWithoutValues",
         "[Main]\r\njunk line\r\n[Other=1\r\nA=1\r\n",
         {read("Main", "junk line"), read("Main", "[other"), write("Main", "Junk Line", "v"),
          read("Main", "junk line")},
         nullptr,
         ""},
        {"CtrlZIsABlank",
         "[Main]\r\nA=a\x1A\r\nB=\x1A\x1A"
         "b\r\n",
         {read("Main", "a"), read("Main", "b")},
         nullptr,
         ""},
        {"EqualsInValue",
         "[Main]\r\nK=a=b\r\n",
         {read("Main", "k"), write("Main", "K", "c=d"), read("Main", "k")},
         nullptr,
         ""},

        // Deliberate differences: the portable writer edits the file in place and keeps every other line as it
        // was; these profile functions re-create the whole file from what they parsed.
        {"LfFile",
         "[Main]\nINTERVAL=500\n[Other]\nX=1\n",
         {read("Main", "interval"), write("Main", "INTERVAL", "250"), write("Main", "BEEP", "1")},
         "an LF file stays an LF file (these functions turn every line end into CR LF)",
         "[Main]\nINTERVAL=250\nBEEP=1\n[Other]\nX=1\n"},
        {"BlanksAroundOtherKeys",
         "[Main]\r\n  Interval = 250 \r\nBeep =1\r\n",
         {read("Main", "interval"), read("Main", "beep"), write("Main", "COPY", "0  ")},
         "lines that are not written keep their blanks (these functions rewrite them as key=value)",
         "[Main]\r\n  Interval = 250 \r\nBeep =1\r\nCOPY=\"0  \"\r\n"},
        {"BlankLines",
         "[Main]\r\nA=1\r\n\r\n[Other]\r\nX=1\r\n",
         {read("Main", "a"), write("Main", "B", "2")},
         "blank lines are kept and a new key goes before them (these functions drop every blank line)",
         "[Main]\r\nA=1\r\nB=2\r\n\r\n[Other]\r\nX=1\r\n"},
        {"CrOnlyFile",
         "[Main]\rINTERVAL=250\rMONITOR=1\r[Other]\rX=1\r",
         {read("Main", "interval"), read("Main", "monitor"), setting("Beep", "0"), write("Main", "INTERVAL", "300"),
          read("Other", "x"), read("Main", "beep")},
         "a CR-only file stays CR-only (these functions turn every line end into CR LF)",
         "[Main]\rINTERVAL=300\rMONITOR=1\rBEEP=0\r[Other]\rX=1\r"},
        {"MixedLineEnds",
         "[Main]\r\nA=1\rB=2\nC=3\n\rD=4",
         {read("Main", "a"), read("Main", "b"), read("Main", "c"), read("Main", "d"), write("Main", "B", "5"),
          write("Main", "E", "6")},
         "new lines take the first line's end and the others stay (these functions turn every one into CR LF)",
         "[Main]\r\nA=1\rB=5\nC=3\n\rD=4\r\nE=6\r\n"},
        {"KeyThatWouldReadAsAHeader",
         "[Main]\r\nA=1\r\n",
         {write("Main", "[x]", "v"), read("Main", "[x]"), read("x", "a"), write("Main", "[x]", "w")},
         "such a key is refused (these functions write it, cannot find it and add it again as a header line)",
         "[Main]\r\nA=1\r\n"},
        {"EmptySectionName",
         "\xEF\xBB\xBFTOP=1\r\n[Main]\r\nA=1\r\n[]\r\nE=2\r\n",
         {read("", "top"), read("", "e"), write("", "F", "3"), read("", "f"), read("Main", "a")},
         "the section named \"\" is the one under \"[]\" (Wine's functions take the lines before the first header)",
         "\xEF\xBB\xBFTOP=1\r\n[Main]\r\nA=1\r\n[]\r\nE=2\r\nF=3\r\n",
         {"<default>", "2", "3", "1"}},
        {"BlanksInSectionHeader",
         "[ Main ]\r\nA=1\r\n",
         {read("Main", "a"), write("Main", "A", "2")},
         "a header is kept as written (these functions rewrite \"[ Main ]\" as \"[Main]\")",
         "[ Main ]\r\nA=2\r\n"},
    };
    return all;
}

class AgainstProfileFunctions : public ::testing::TestWithParam<std::size_t> {};

TEST_P(AgainstProfileFunctions, SameValuesAndBytes) {
    const auto& c = cases()[GetParam()];
    testsupport::TempDir dir;
    const auto real = run(kWin32, c, dir, "real.ini");
    const auto ours = run(kPortable, c, dir, "ours.ini");
    ASSERT_EQ(real.size(), ours.size());
    if (c.windows.empty()) {
        for (std::size_t i = 0; i + 1 < real.size(); ++i) {
            EXPECT_EQ(ours[i], real[i]) << "value read #" << i;
        }
    } else {
        ASSERT_EQ(c.windows.size() + 1, ours.size());
        for (std::size_t i = 0; i + 1 < real.size(); ++i) {
            EXPECT_EQ(ours[i], c.windows[i]) << "value read #" << i;
            if (real[i] != c.windows[i]) {
                std::cout << "Wine reads #" << i << " as \"" << real[i] << "\", Windows as \"" << c.windows[i]
                          << "\"\n";
            }
        }
    }
    if (c.difference == nullptr) {
        EXPECT_EQ(visible(ours.back()), visible(real.back()));
    } else {
        EXPECT_EQ(visible(ours.back()), visible(c.ours));
        // A listed difference must still be one.
        EXPECT_NE(visible(ours.back()), visible(real.back()));
        std::cout << "deliberate difference: " << c.difference << "\n  profile functions: " << visible(real.back())
                  << "\n  portable writer:   " << visible(ours.back()) << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AgainstProfileFunctions, ::testing::Range<std::size_t>(0, cases().size()),
                         [](const auto& testInfo) { return std::string(cases()[testInfo.param].name); });

// A path the ANSI code page cannot hold turns the file into UTF-16 with its mark, the one form in which the
// profile functions keep every character; the values already there keep theirs, and ANSI-only files stay ANSI.
TEST(ProfileFunctions, KeepCharactersOutsideTheCodePage) {
    testsupport::TempDir dir;
    // "Ünïcødé – 日本.csv"
    const std::string path = "C:\\Daten\\\xC3\x9C"
                             "n\xC3\xAF"
                             "c\xC3\xB8"
                             "d\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC.csv";
    const auto existing = dir.write("existing.ini", "[Main]\r\nINTERVAL=250\r\n[Other]\r\nX=1\r\n");
    const auto fresh = dir.path("fresh.ini");
    for (const auto& file : {existing, fresh}) {
        ASSERT_TRUE(platform::writeProfileString("Main", "FILENAME", path, file)) << file;
        EXPECT_EQ(platform::getProfileString("Main", "filename", "", 750, file), path) << file;
        if (::GetACP() != CP_UTF8) {
            EXPECT_EQ(testsupport::readFile(file).substr(0, 2), "\xFF\xFE") << file;
        }
    }
    EXPECT_EQ(platform::getProfileString("Main", "interval", "", 750, existing), "250");
    EXPECT_EQ(platform::getProfileString("Other", "x", "", 750, existing), "1");

    const auto plain = dir.write("plain.ini", "[Main]\r\n");
    ASSERT_TRUE(platform::writeProfileString("Main", "FILENAME", "C:\\plain.csv", plain));
    EXPECT_EQ(testsupport::readFile(plain), "[Main]\r\nFILENAME=C:\\plain.csv\r\n");
}

// The profile functions fill the settings store's buffer of 750 characters: a longer value reads back cut.
TEST(SettingsStoreOnWindows, LongValuesAreCutTo749Characters) {
    testsupport::TempDir dir;
    const auto file = dir.write("Settings.ini", "[Main]\r\nFILENAME=" + std::string(800, 'x') + "\r\n");
    EXPECT_EQ(modKorvel::ReadIniSetting("Main", "FileName", file, "d"), std::string(749, 'x'));
}

} // namespace
