#include "common/continueOnError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_lines;

void keepLine(std::string_view line) {
    g_lines.emplace_back(line);
}

TEST(Trail, ASkippedStepLeavesALineWithItsPlaceOnlyWhileASinkListens) {
    int after = 0;
    continueOnError([] { throw std::runtime_error("the tray refused the icon"); });
    EXPECT_TRUE(g_lines.empty());

    platform::setTrailSink(keepLine);
    const int line = __LINE__ + 1;
    continueOnError([] { throw std::runtime_error("the tray refused the icon"); });
    continueOnError([] { throw 42; });
    continueOnError([&] { ++after; });
    platform::setTrailSink(nullptr);

    ASSERT_EQ(g_lines.size(), 2u);
    EXPECT_EQ(g_lines[0], "continueOnError_test.cpp:" + std::to_string(line) +
                              ": skipped after an exception: the tray refused the icon");
    EXPECT_EQ(g_lines[1], "continueOnError_test.cpp:" + std::to_string(line + 1) + ": skipped after an exception");
    EXPECT_EQ(after, 1) << "the next step runs";
}

} // namespace
