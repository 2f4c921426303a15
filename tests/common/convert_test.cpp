#include "common/convert.h"

#include <gtest/gtest.h>

#include <limits>

using namespace convert;

namespace {

TEST(roundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.125, 2), 1.12);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.375, 2), 1.38);
    EXPECT_DOUBLE_EQ(roundHalfEven(1.0009765625, 2), 1.0);
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::max(), 2), std::numeric_limits<double>::max());
    // Negative places round to tens, hundreds and beyond; past every double's size to 0.
    EXPECT_EQ(roundHalfEven(1250, -2), 1200);
    EXPECT_EQ(roundHalfEven(1350, -2), 1400);
    EXPECT_EQ(roundHalfEven(5.0, -400), 0);
    EXPECT_EQ(roundHalfEven(-5.0, -400), 0);
    // A result past the largest double leaves the value.
    EXPECT_EQ(roundHalfEven(1.7e308, -308), 1.7e308);
}

TEST(parseNumber, AcceptsLocaleDecimalsWithBlanksAround) {
    EXPECT_EQ(parseNumber("1536", "."), 1536.0);
    EXPECT_EQ(parseNumber("  42\t", "."), 42.0);
    EXPECT_EQ(parseNumber("-7", "."), -7.0);
    EXPECT_EQ(parseNumber("+7", "."), 7.0);
    EXPECT_EQ(parseNumber("1.5", "."), 1.5);
    EXPECT_EQ(parseNumber("1,5", ","), 1.5);
    EXPECT_EQ(parseNumber(".5", "."), 0.5);
    EXPECT_EQ(parseNumber("5.", "."), 5.0);
    EXPECT_EQ(parseNumber("1e3", "."), 1000.0);
    EXPECT_EQ(parseNumber("2.5E-1", "."), 0.25);
    EXPECT_EQ(parseNumber("3221225472", "."), 3221225472.0);
    // A multi-byte separator (U+066B ARABIC DECIMAL SEPARATOR).
    EXPECT_EQ(parseNumber("1\xd9\xab"
                          "25",
                          "\xd9\xab"),
              1.25);
}

TEST(parseNumber, RejectsEverythingElse) {
    for (const char* text : {"", " ", "Unknown", "abc", "12abc", "1 2", "-", "+", ".", "1e", "1e+", "--1", "0x10",
                             "1,5", "1.2.3", "1e400", "nan", "inf"}) {
        EXPECT_EQ(parseNumber(text, "."), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(parseNumber("1.5", ","), std::nullopt) << "the other locale's separator is no decimal point";
}

TEST(WholeNumbers, RoundHalfEvenThenCheckTheRange) {
    EXPECT_EQ(toInt16(32767), 32767);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(32767.5), std::nullopt);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_EQ(toInt16(-32769), std::nullopt);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483648.0), std::nullopt);
    EXPECT_EQ(toInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toInt32(500.5), 500);
    EXPECT_EQ(toInt32(501.5), 502);
    EXPECT_EQ(toInt32(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(toInt32(std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(formatGeneral, IsTheShortestFormWithTheLocaleSeparator) {
    EXPECT_EQ(formatGeneral(1024, "."), "1024");
    EXPECT_EQ(formatGeneral(1.12, "."), "1.12");
    EXPECT_EQ(formatGeneral(1.5, ","), "1,5");
    EXPECT_EQ(formatGeneral(1.1, "."), "1.1");
    EXPECT_EQ(formatGeneral(0.1 + 0.2, "."), "0.3");
    EXPECT_EQ(formatGeneral(-0.0, "."), "0");
    EXPECT_EQ(formatGeneral(-2.25, "."), "-2.25");
    EXPECT_EQ(formatGeneral(1099511627776.0, "."), "1099511627776");
    // Near the largest double, 15 digits rounded up would be out of range: the text still reads back.
    const double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(formatGeneral(largest, "."), "1.79769313486231e+308");
    EXPECT_EQ(formatGeneral(-largest, ","), "-1,79769313486231e+308");
    for (const double value : {largest, -largest, std::numeric_limits<double>::denorm_min(), 1e-300}) {
        const auto back = parseNumber(formatGeneral(value, "."), ".");
        ASSERT_TRUE(back) << value;
        EXPECT_NEAR(*back / value, 1.0, 1e-14) << value;
    }
}

} // namespace
